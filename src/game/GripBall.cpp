#include "game/GripBall.h"

#include "game/StressValue.h"
#include "hid/HidDeviceController.h"
#include "platform/DataPath.h"
#include "platform/Guard.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <iterator>

namespace {

template <typename T>
bool Remove(std::vector<T*>& list, T* item)
{
    const auto it = std::find(list.begin(), list.end(), item);
    if (it == list.end())
        return false;
    list.erase(it);
    return true;
}

template <typename T>
bool Contains(const std::vector<T*>& list, T* item)
{
    return std::find(list.begin(), list.end(), item) != list.end();
}

} // namespace

std::string UdevRuleInstallCommand()
{
    return "sudo install -m 644 -t /etc/udev/rules.d " + DataFile("70-grip-ball.rules") +
           " && sudo udevadm control --reload && sudo udevadm trigger -s hidraw";
}

std::vector<std::string> UdevRuleFolders()
{
    return {"/etc/udev/rules.d", "/run/udev/rules.d", "/usr/lib/udev/rules.d", "/lib/udev/rules.d"};
}

std::string BallAccessMessage(const std::string& node, int error, const std::vector<std::string>& ruleFolders)
{
    const std::string head = "The grip ball at " + node + " cannot be opened: ";
    const std::string tail = "The game goes on without it and takes the ball as soon as it can open it.";
    if (error == EACCES || error == EPERM) {
        for (const std::string& folder : ruleFolders) {
            const std::string rule = folder + "/70-grip-ball.rules";
            std::error_code ignored;
            if (std::filesystem::exists(rule, ignored))
                return head + "permission denied.\n\nThe grip ball's udev rule is installed (" + rule +
                       ") but was not yet in force when the ball came: plug the ball in again, or run\n\n    "
                       "sudo udevadm trigger -s hidraw\n\nThe rule opens the ball to the user logged in at "
                       "the seat. " +
                       tail;
        }
        return head +
               "permission denied.\n\nOnly root may open it until the grip ball's udev rule (see the "
               "README, \"Connecting the grip ball\") is installed. This command installs it:\n\n    " +
               UdevRuleInstallCommand() + "\n\n" + tail;
    }
    if (error == EBUSY)
        return head + "it is busy: another program holds it.\n\nClose that program (\"fuser -v " + node +
               "\" names it). " + tail;
    return head + (error ? std::strerror(error) : std::string("the system gave no reason")) +
           ".\n\nPlug the ball in again; \"griptool hid list\" shows what the game sees. " + tail;
}

TGripBall::TGripBall(TJvHidDeviceController& controller) : UsbHids(controller)
{
    retry_.setInterval(RetryIntervalMs);
    QObject::connect(&retry_, &QTimer::timeout, [this] { Guarded([this] { RetryWaiting(); }); });
}

void TGripBall::Bind()
{
    UsbHids.SetOnDeviceUnplug({this, &TGripBall::UsbHidsDeviceUnplug});
    UsbHids.SetOnEnumerate({this, &TGripBall::UsbHidsEnumerate});
    UsbHids.SetOnDeviceChange({this, &TGripBall::UsbHidsDeviceChange});
    UsbHids.Loaded();
}

void TGripBall::Release()
{
    UsbHids.SetOnDeviceChange(nullptr);
    UsbHids.SetOnEnumerate(nullptr);
    UsbHids.SetOnDeviceUnplug(nullptr);
    retry_.stop();
    Player = nullptr;
    PlayerTwo = nullptr;
    OnBallLost.Clear();
    OnPlayerBall.Clear();
    for (TJvHidDevice* device : std::vector<TJvHidDevice*>(UsbHids.Devices()))
        if (device->CheckedOut())
            UsbHids.CheckIn(device);
    balls_.clear();
    waiting_.clear();
    GripDevice = nullptr;
}

void TGripBall::UsbHidsDeviceChange(QObject*) { UsbHids.Enumerate(); }

bool TGripBall::UsbHidsEnumerate(TJvHidDevice* HidDev, int Idx)
{
    if (HidDev->ProductName() != "Kneadle Bal")
        return true;
    GripDevice = HidDev;
    // A ball found again by a later enumeration is ours already; the request just fails.
    TJvHidDevice* taken = nullptr;
    UsbHids.CheckOutByIndex(taken, Idx);
    // A ball the user may not open would fail every read: it waits, and is said so once.
    if (!HidDev->OpenFile()) {
        if (taken)
            waiting_.push_back(taken);
        if (!waiting_.empty() && !retry_.isActive())
            retry_.start();
        ReportAccess(HidDev);
        return true;
    }
    if (Remove(waiting_, HidDev))
        taken = HidDev;
    if (taken) {
        balls_.push_back(taken);
        // A ball plugged back in after being pulled out is its player's again: without this
        // the game would ignore it until restarted.
        Attach(taken);
    }
    Greet(HidDev);
    return true;
}

void TGripBall::Greet(TJvHidDevice* ball)
{
    // The game's buffer holds a report ID and eight data bytes, and never more is read. Only a
    // report already queued is taken: a ball that reports only when gripped must not hold the
    // start-up.
    std::uint8_t buffer[9] = {};
    std::uint32_t count = 0;
    const int length = std::min<int>(ball->Caps().InputReportByteLength, int(sizeof buffer));
    HidCheck(ball->ReadQueuedReport(buffer, length, count));
    std::fill(std::begin(buffer), std::end(buffer), 0);
    HidCheck(ball->WriteFile(buffer, 2, count));
}

void TGripBall::Attach(TJvHidDevice* ball)
{
    if (Player && !Player->Device)
        SetBall(*Player, ball);
    else if (PlayerTwo && !PlayerTwo->Device && (!Player || Player->Device != ball))
        SetBall(*PlayerTwo, ball);
}

void TGripBall::SetBall(TStressValue& player, TJvHidDevice* ball)
{
    player.Device = ball;
    if (OnPlayerBall)
        OnPlayerBall(player);
}

void TGripBall::AttachPlayers()
{
    // A ball that cannot be opened is no use to anyone until it can.
    if (Player && Contains(waiting_, Player->Device))
        Player->Device = nullptr;
    if (Player && !Player->Device) {
        if (Contains(balls_, GripDevice))
            Player->Device = GripDevice;
        else if (!balls_.empty())
            Player->Device = balls_.front();
    }
    for (TJvHidDevice* ball : balls_)
        if (!Player || Player->Device != ball)
            Attach(ball);
    // Player one may have been given its ball before this.
    if (Player && OnPlayerBall)
        OnPlayerBall(*Player);
}

void TGripBall::ReportAccess(TJvHidDevice* ball)
{
    const int error = ball->OpenError();
    const std::string key = ball->DevicePath() + "#" + std::to_string(error);
    if (!reported_.insert(key).second || !OnAccessProblem)
        return;
    OnAccessProblem(BallAccessMessage(ball->DevicePath(), error));
}

void TGripBall::RetryWaiting()
{
    for (TJvHidDevice* ball : std::vector<TJvHidDevice*>(waiting_)) {
        if (!ball->OpenFile())
            continue;
        Remove(waiting_, ball);
        balls_.push_back(ball);
        Attach(ball);
        Greet(ball);
    }
    if (waiting_.empty())
        retry_.stop();
}

void TGripBall::UsbHidsDeviceUnplug(TJvHidDevice* HidDev)
{
    Remove(balls_, HidDev);
    const bool playerOnes = Player && HidDev == Player->Device;
    const bool playerTwos = PlayerTwo && HidDev == PlayerTwo->Device;
    // Any other ball is treated as the controller treats every ball but player one's: it stays
    // taken and listed.
    if (!playerOnes && !playerTwos && !Remove(waiting_, HidDev))
        return;
    if (playerOnes)
        SetBall(*Player, nullptr);
    if (playerTwos)
        SetBall(*PlayerTwo, nullptr);
    if (waiting_.empty())
        retry_.stop();
    // Checking in an unplugged device destroys it: no reference to it may stay behind. Kept
    // checked out, it would be unplugged again by every later rescan, each one a change.
    if (GripDevice == HidDev)
        GripDevice = nullptr;
    TJvHidDevice* device = HidDev;
    UsbHids.CheckIn(device);
    // Player two goes back to the one-ball game.
    if ((playerOnes || playerTwos) && OnBallLost)
        OnBallLost(playerOnes ? 0 : 1);
}
