#include "shell/TapSession.h"

#include "core/GameCore.h"
#include "midi/MidiOutput.h"
#include "platform/Clock.h"
#include "platform/Guard.h"
#include "shell/SurfaceNotices.h"
#include "sound/SoundOutput.h"
#include "sound/TapOffsetStore.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <QWindow>

#include <cmath>

namespace {

constexpr std::int64_t BeatUs = 60'000'000 / TTapSession::BeatsPerMinute;
// The click: the high wood block on the General MIDI percussion channel, short and sharp.
constexpr std::uint32_t ClickOn = 0x7F4C99, ClickOff = 0x004C89;
constexpr std::int64_t ClickLengthUs = 80'000;
const QString NoticeKey = QStringLiteral("tap");

QString Milliseconds(std::int64_t us)
{
    const long ms = std::lround(double(us) / 1000.0);
    return QString("%1%2 ms").arg(ms >= 0 ? "+" : "").arg(ms);
}

bool IsTapKey(int key)
{
    return key == Qt::Key_J || key == Qt::Key_K || key == Qt::Key_L || key == Qt::Key_Space;
}

} // namespace

TTapSession::TTapSession(QWidget& window, TSurfaceNotices& notices) : QObject(&window), window_(window), notices_(notices)
{
    pulse_.setTimerType(Qt::PreciseTimer);
    pulse_.setInterval(2);
    connect(&pulse_, &QTimer::timeout, this, [this] { Guarded([this] { Pulse(); }); });
    hide_.setSingleShot(true);
    connect(&hide_, &QTimer::timeout, this, [this] { notices_.Hide(NoticeKey); });
}

TTapSession::~TTapSession() = default;

void TTapSession::Say(const QString& text, int forMs)
{
    notices_.Show(NoticeKey, text);
    if (forMs > 0)
        hide_.start(forMs);
    else
        hide_.stop();
}

void TTapSession::Start()
{
    if (Running())
        return;
    auto port = std::make_unique<TMidiOutputPort>();
    try {
        port->SetPortId(0);
        port->SetActive(true);
    } catch (const std::exception& e) {
        Say(QString("No synthesizer for the click: %1").arg(e.what()), 8000);
        return;
    }
    const TMidiDevice* synth = port->DeviceHandle();
    if (!synth) {
        Say("No synthesizer for the click", 8000);
        return;
    }
    port_ = std::move(port);
    device_ = TapOffsetDevice(SharedSoundOutput());
    // Taps are measured from the moment the game reckons each click heard today, so what is
    // found is what the server does not account for, and replaces what was tapped before.
    firstDueUs_ = GameClock().NowMicroseconds() + LeadInUs;
    offset_.emplace(firstDueUs_ + synth->OutputLatencyMicroseconds(), BeatUs);
    nextClick_ = 0;
    squeezed_ = false;
    if (GameCore)
        squeezes_ = GameCore->OnGripLevel.Subscribe([this](int level) {
            const bool squeezed = level > 0;
            if (squeezed && !squeezed_)
                Tap(GameClock().NowMicroseconds());
            squeezed_ = squeezed;
        });
    qApp->installEventFilter(this);
    Say("Tap to the beat: J, K, L, Space or squeeze the ball");
    pulse_.start();
}

void TTapSession::Pulse()
{
    const std::int64_t now = GameClock().NowMicroseconds();
    // Each click goes out with its exact time, so a late wake of this timer moves nothing.
    for (; nextClick_ < offset_->ClickCount() && firstDueUs_ + nextClick_ * BeatUs <= now; ++nextClick_) {
        const std::int64_t due = firstDueUs_ + nextClick_ * BeatUs;
        port_->Send(ClickOn, due);
        port_->Send(ClickOff, due + ClickLengthUs);
    }
    if (now > offset_->EndUs())
        Finish();
}

void TTapSession::Tap(std::int64_t atUs)
{
    if (Running())
        offset_->Tap(atUs);
}

void TTapSession::Finish()
{
    pulse_.stop();
    qApp->removeEventFilter(this);
    squeezes_.Unsubscribe();
    const TTapOffset measured = *offset_;
    offset_.reset();
    port_.reset();
    if (const std::optional<std::int64_t> found = measured.OffsetUs()) {
        StoreTapOffsetUs(device_, *found);
        Say(QString("Offset: %1, kept for %2").arg(Milliseconds(*found), device_), 15000);
        return;
    }
    const std::optional<std::int64_t> kept = StoredTapOffsetUs(device_);
    Say(QString("Only %1 taps on the beat, %2 needed: %3")
            .arg(measured.ValidTaps())
            .arg(TTapOffset::MinimumTaps)
            .arg(kept ? "the offset stays " + Milliseconds(*kept) : QString("no offset is kept")),
        15000);
}

bool TTapSession::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress || !Running())
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (!IsTapKey(key->key()) || (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
        return false;
    const bool inWindow = watched->isWidgetType() ? static_cast<QWidget*>(watched)->window() == &window_
                                                  : watched->isWindowType() && watched == static_cast<QObject*>(window_.windowHandle());
    if (!inWindow)
        return false;
    // Taken here, the key neither grips nor presses a button; its release goes on as ever.
    if (!key->isAutoRepeat())
        Tap(GameClock().NowMicroseconds());
    return true;
}
