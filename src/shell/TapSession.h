#pragma once

#include "platform/Listeners.h"
#include "sound/TapOffset.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <memory>
#include <optional>

class QWidget;
class TMidiOutputPort;
class TSurfaceNotices;

// "Tap to the beat…": a click on the synthesizer's percussion channel, sixteen beats after a
// short lead-in, and the player tapping along on J, K, L, Space or the ball. The offset found
// is kept for the device the sound comes out of, and the lanes allow for it from the next song
// played on. The window's taps go to the session while it runs and grip nothing.
class TTapSession : public QObject {
public:
    static constexpr int BeatsPerMinute = 100;
    static constexpr std::int64_t LeadInUs = 1'500'000;

    TTapSession(QWidget& window, TSurfaceNotices& notices);
    ~TTapSession() override;

    bool Running() const { return offset_.has_value(); }
    void Start();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Pulse();
    void Finish();
    void Tap(std::int64_t atUs);
    void Say(const QString& text, int forMs = 0);

    QWidget& window_;
    TSurfaceNotices& notices_;
    QTimer pulse_;
    QTimer hide_;
    std::unique_ptr<TMidiOutputPort> port_;
    std::optional<TTapOffset> offset_;
    std::int64_t firstDueUs_ = 0;
    int nextClick_ = 0;
    QString device_;
    TSubscription squeezes_;
    bool squeezed_ = false;
};
