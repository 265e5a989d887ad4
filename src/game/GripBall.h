#pragma once

#include "platform/Listeners.h"

#include <QTimer>

#include <functional>
#include <set>
#include <string>
#include <vector>

class QObject;
class TJvHidDevice;
class TJvHidDeviceController;
class TStressValue;

// The grip ball's comings and goings, bound to the HID controller's events: every device whose
// product name is exactly "Kneadle Bal" is checked out and greeted with one read and a zero
// output report, and a player's ball is given back when it is unplugged. The first ball is
// player one's, a second one player two's; a ball plugged in while a player has none is that
// player's. A ball the user may not open is named once, with the reason and the fix, and taken
// as soon as it opens.
class TGripBall {
public:
    explicit TGripBall(TJvHidDeviceController& controller);
    TGripBall(const TGripBall&) = delete;
    TGripBall& operator=(const TGripBall&) = delete;

    // Assigns the three handlers. The first device-change handler is called at once, so the
    // ball is found before this returns.
    void Bind();
    // No handler is called any more, the players are let go, and every device taken is given
    // back.
    void Release();

    void UsbHidsDeviceChange(QObject* sender);
    bool UsbHidsEnumerate(TJvHidDevice* HidDev, int Idx);
    void UsbHidsDeviceUnplug(TJvHidDevice* HidDev);

    // Once the game exists: player one takes the grip device (or, when that one cannot be
    // read, the first ball that can), player two the next ball found.
    void AttachPlayers();
    // Tries again to open the balls that could not be opened; one that opens now is greeted
    // and given to a player without a ball. Runs by itself every RetryIntervalMs while any
    // ball waits.
    void RetryWaiting();
    const std::vector<TJvHidDevice*>& Waiting() const { return waiting_; }

    TJvHidDeviceController& UsbHids;
    // The last ball the enumeration found.
    TJvHidDevice* GripDevice = nullptr;
    // Each player's grip once the game exists (not owned): it loses its ball when the ball is
    // unplugged, and gets one plugged in while it has none.
    TStressValue* Player = nullptr;
    TStressValue* PlayerTwo = nullptr;
    // A player's ball went (0 for player one, 1 for player two).
    TListeners<void(int player)> OnBallLost;
    // A player was given a ball, or lost one (its Device tells which).
    TListeners<void(TStressValue& player)> OnPlayerBall;
    // What to tell the user about a ball that cannot be opened; said once for each node and
    // reason.
    std::function<void(const std::string& message)> OnAccessProblem;

    static constexpr int RetryIntervalMs = 1000;

private:
    void Greet(TJvHidDevice* ball);
    void Attach(TJvHidDevice* ball);
    void SetBall(TStressValue& player, TJvHidDevice* ball);
    void ReportAccess(TJvHidDevice* ball);

    // Balls checked out and greeted, in the order they were found.
    std::vector<TJvHidDevice*> balls_;
    // Balls checked out that could not be opened yet.
    std::vector<TJvHidDevice*> waiting_;
    std::set<std::string> reported_;
    QTimer retry_;
};

// The folders udev reads its rules from, the administrator's first.
std::vector<std::string> UdevRuleFolders();
// The message for a ball at node that cannot be opened for the errno value error: the node,
// the reason and what to do about it. Access refused while the ball's udev rule lies in one of
// ruleFolders means the ball came before the rule: plugging it in again is the fix.
std::string BallAccessMessage(const std::string& node, int error,
                              const std::vector<std::string>& ruleFolders = UdevRuleFolders());
// The one command that installs the ball's udev rule from the game's folder.
std::string UdevRuleInstallCommand();
