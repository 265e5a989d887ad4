#pragma once

#include "SmfBuilder.h"
#include "midi/MidiData.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

#include <memory>

// Songs for the bar and piano-roll views, read through the real file reader.
namespace barsong {

inline std::unique_ptr<TMidiData> Load(const std::vector<smf::Track>& tracks, std::uint16_t division = 180)
{
    smf::TempDir dir;
    auto song = std::make_unique<TMidiData>();
    song->SetFileName(dir.Write("song.mid", smf::File(division, tracks)));
    song->SetActive(true);
    return song;
}

// A note of the given length, written as note-on and note-off with velocity 0.
inline smf::Track& Note(smf::Track& t, std::uint32_t delta, std::uint8_t note, std::uint32_t length)
{
    t.Raw(delta, {0x90, note, 100});
    return t.Raw(length, {0x90, note, 0});
}

inline void Mouse(QWidget* w, QEvent::Type type, QPoint p, Qt::MouseButton button = Qt::NoButton)
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease || button == Qt::NoButton
                                      ? Qt::MouseButtons()
                                      : Qt::MouseButtons(button);
    QMouseEvent event(type, QPointF(p), QPointF(w->mapToGlobal(p)), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

} // namespace barsong
