#pragma once

// Emulated grip balls for the real hidraw back end, on a umockdev testbed: the USB device with
// its strings, the HID device with its report descriptor, and the hidraw node the game opens.
// The process (and every child that is to see the balls) must run with umockdev's preload
// library; a child also needs UMOCKDEV_DIR set to Root().

#include <cstdint>
#include <string>
#include <vector>

typedef struct _UMockdevTestbed UMockdevTestbed;

struct TEmulatedBall {
    int Number = 0;
    std::string SysPath;  // of the hidraw node
    std::string Node;     // /dev/hidrawN
    std::string Serial;
};

class TBallBed {
public:
    TBallBed();
    ~TBallBed();
    TBallBed(const TBallBed&) = delete;
    TBallBed& operator=(const TBallBed&) = delete;

    // True when umockdev's preload is in force, so that what is added here is what the process
    // sees.
    static bool Mocking();
    std::string Root() const;

    // Ball number n is /dev/hidraw<n> (device 241:n) on USB port 1-<n + 1>. Adding it does not
    // announce it: Announce does, as the kernel would.
    TEmulatedBall Add(int number, const std::string& product = "Kneadle Bal");
    void Announce(const TEmulatedBall& ball, const char* action);
    // Announced as gone, then taken out of the testbed.
    void Remove(const TEmulatedBall& ball);

    // The other end of the ball's node: what is written here the game reads as one input
    // report, and what the game writes can be read here.
    int Fd(const TEmulatedBall& ball);
    // One input report: a force in byte 0 (the first data byte; the ball numbers no reports).
    bool Send(const TEmulatedBall& ball, std::uint8_t force);
    // Whatever the game wrote to the ball so far, waiting up to timeoutMs for the first byte.
    std::vector<std::uint8_t> Received(const TEmulatedBall& ball, int timeoutMs);

    // The ball's node as a file: chmod it to take the user's access away.
    std::string NodeFile(const TEmulatedBall& ball) const;

private:
    UMockdevTestbed* testbed_;
};
