#pragma once

#include "core/SongList.h"

#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <vector>

// The song library over the game picture: typing narrows it to the names holding what was
// typed (without regard to case), the arrow keys and the wheel move, Enter or a click chooses,
// Esc or a click beside the list closes it. Insert (or Ctrl+M) marks the song under the bar for
// the player's sessions, or takes the mark off.
class TSongChooser : public QWidget {
public:
    explicit TSongChooser(QWidget& surface);

    // The songs to choose from; none while the library is still being listed.
    void SetSongs(const std::vector<TSongListing>& songs, bool listing);
    // The songs marked for sessions, by path.
    void SetMarks(const QStringList& marked);
    const QStringList& Marks() const { return marks_; }
    void Open();
    void Close();

    QString Filter() const { return filter_; }
    // The songs that pass the filter, in the library's order, and the one marked.
    const std::vector<const TSongListing*>& Shown() const { return shown_; }
    int Current() const { return current_; }

    std::function<void(const QString& path)> OnChoose;
    std::function<void()> OnClose;
    // A mark put on or taken off; a mark that cannot be kept throws, and the list stays as it was.
    std::function<void(const QString& path, bool marked)> OnMark;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void ApplyFilter();
    void MoveTo(int row);
    void Choose(int row);
    void ToggleMark(int row);
    QRect Panel() const;
    QRect Row(int visibleIndex) const;
    int VisibleRows() const;

    std::vector<TSongListing> songs_;
    std::vector<const TSongListing*> shown_;
    QString filter_;
    QStringList marks_;
    int current_ = 0;
    int top_ = 0;
    bool listing_ = false;
};
