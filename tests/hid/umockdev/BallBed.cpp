#include "BallBed.h"

#include <umockdev.h>

#include <cerrno>
#include <cstdio>
#include <stdexcept>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

// Vendor page, eight bytes in, one byte out, no report IDs: reports of 9 and 2 bytes with the
// ID byte counted, as the game asks of its ball.
constexpr const char* kReportDescriptor = "0600ff0901a101150026ff007508950809018102950109019102c0";

std::string Record(int n, const std::string& product, const std::string& serial)
{
    const std::string port = "1-" + std::to_string(n + 1);
    const std::string usb = "/devices/pci0000:00/0000:00:14.0/usb1/" + port;
    const std::string hid = usb + "/" + port + ":1.0/0003:1209:0001.000" + std::to_string(n + 1);
    const std::string node = "hidraw" + std::to_string(n);
    // Parents first: each device is announced as it is added, and the node must find its
    // strings and its report descriptor there the moment it appears.
    return "P: " + usb + "\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\nA: idVendor=1209\nA: idProduct=0001\n" +
           "A: bcdDevice=0100\nA: manufacturer=Grip Rhythm\nA: product=" + product + "\nA: serial=" + serial +
           "\n\n" + "P: " + usb + "/" + port + ":1.0\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_interface\n\n" +
           "P: " + hid + "\nE: SUBSYSTEM=hid\nE: HID_ID=0003:00001209:00000001\nE: HID_NAME=Grip Rhythm " + product +
           "\nE: HID_UNIQ=" + serial + "\nH: report_descriptor=" + kReportDescriptor + "\n\n" +
           "P: " + hid + "/hidraw/" + node + "\nN: " + node + "\nE: SUBSYSTEM=hidraw\nE: DEVNAME=/dev/" + node +
           "\nE: MAJOR=241\nE: MINOR=" + std::to_string(n) + "\nA: dev=241:" + std::to_string(n) + "\n";
}

} // namespace

TBallBed::TBallBed() : testbed_(umockdev_testbed_new()) {}

TBallBed::~TBallBed() { g_object_unref(testbed_); }

bool TBallBed::Mocking() { return umockdev_in_mock_environment(); }

std::string TBallBed::Root() const
{
    gchar* root = umockdev_testbed_get_root_dir(testbed_);
    std::string result = root;
    g_free(root);
    return result;
}

TEmulatedBall TBallBed::Add(int number, const std::string& product)
{
    TEmulatedBall ball;
    ball.Number = number;
    ball.Serial = "BALL-000" + std::to_string(number + 1);
    GError* error = nullptr;
    if (!umockdev_testbed_add_from_string(testbed_, Record(number, product, ball.Serial).c_str(), &error)) {
        const std::string message = error ? error->message : "unknown";
        g_clear_error(&error);
        throw std::runtime_error("umockdev refused the ball: " + message);
    }
    const std::string port = "1-" + std::to_string(number + 1);
    ball.SysPath = "/sys/devices/pci0000:00/0000:00:14.0/usb1/" + port + "/" + port + ":1.0/0003:1209:0001.000" +
                   std::to_string(number + 1) + "/hidraw/hidraw" + std::to_string(number);
    ball.Node = "/dev/hidraw" + std::to_string(number);
    // The node is a terminal underneath: raw, so that report bytes pass as they are.
    termios mode{};
    const int fd = Fd(ball);
    if (tcgetattr(fd, &mode) == 0) {
        cfmakeraw(&mode);
        tcsetattr(fd, TCSANOW, &mode);
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    return ball;
}

void TBallBed::Announce(const TEmulatedBall& ball, const char* action)
{
    umockdev_testbed_uevent(testbed_, ball.SysPath.c_str(), action);
}

void TBallBed::Remove(const TEmulatedBall& ball)
{
    Announce(ball, "remove");
    umockdev_testbed_remove_device(testbed_, ball.SysPath.c_str());
}

int TBallBed::Fd(const TEmulatedBall& ball) { return umockdev_testbed_get_dev_fd(testbed_, ball.Node.c_str()); }

bool TBallBed::Send(const TEmulatedBall& ball, std::uint8_t force)
{
    const std::uint8_t report[8] = {force};
    return ::write(Fd(ball), report, sizeof report) == ssize_t(sizeof report);
}

std::vector<std::uint8_t> TBallBed::Received(const TEmulatedBall& ball, int timeoutMs)
{
    std::vector<std::uint8_t> bytes;
    pollfd request{Fd(ball), POLLIN, 0};
    if (::poll(&request, 1, timeoutMs) <= 0)
        return bytes;
    std::uint8_t chunk[256];
    ssize_t count;
    while ((count = ::read(Fd(ball), chunk, sizeof chunk)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + count);
    return bytes;
}

std::string TBallBed::NodeFile(const TEmulatedBall& ball) const { return Root() + ball.Node; }
