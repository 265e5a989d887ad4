#pragma once

#include <QObject>
#include <QTimer>

#include <cstdint>
#include <functional>

class QWidget;

// Calls OnFrame once for every refresh of the display a widget is shown on, on absolute
// deadlines of the monotonic clock so that frames neither drift nor bunch up. It only paces:
// what a frame does, and whether frames are wanted at all, is its owner's business.
class TDisplayPacer : public QObject {
    Q_OBJECT
public:
    explicit TDisplayPacer(QWidget* widget);

    void Start();
    void Stop();
    bool Running() const { return running_; }
    // The display's refresh rate (60 when the window system does not say).
    double RefreshHz() const;
    // The owner drew a frame (its own or a paced one): the next paced frame falls a refresh
    // later, and one due within half a refresh would show the same picture again.
    void Drawn();
    bool JustDrawn() const;

    std::function<void()> OnFrame;

private:
    void Arm();
    void Fire();

    QWidget* widget_;
    QTimer timer_;
    bool running_ = false;
    std::int64_t periodUs_ = 16667;
    std::int64_t nextUs_ = 0;
    std::int64_t drawnUs_ = INT64_MIN / 2;
};
