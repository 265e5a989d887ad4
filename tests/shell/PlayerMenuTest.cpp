// Players by name and their progress, from the surface's right-click menu.
#include "support/GameHarness.h"

#include "core/GameCore.h"
#include "shell/PlayerDialog.h"
#include "shell/ProgressWindow.h"
#include "shell/ScreenForm.h"
#include "shell/SurfaceMenu.h"
#include "training/Training.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QtCharts/QAbstractSeries>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

void Select(TPlayerDialog& dialog, const QString& text)
{
    const QList<QListWidgetItem*> found = dialog.List()->findItems(text, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << text.toStdString();
    dialog.List()->setCurrentItem(found[0]);
}

} // namespace

TEST(PlayerMenu, ALaneGetsAPlayerAddedChosenRenamedAndLetGo)
{
    TGameHarness h;
    TGameCore& core = h.Core();
    QStringList entries;
    for (QAction* action : h.Screen().Menu->Build({100, 60}).actions())
        entries << action->text();
    EXPECT_TRUE(entries.contains("Player…") && entries.contains("Progress…")) << entries.join('|').toStdString();

    TPlayerDialog dialog(0, false, &h.Screen());
    EXPECT_EQ(dialog.windowTitle(), "Player");
    EXPECT_EQ(dialog.List()->currentItem()->text(), "No name");
    ASSERT_TRUE(dialog.AddPlayer("Ann"));
    ASSERT_TRUE(dialog.AddPlayer("Bob"));
    EXPECT_EQ(dialog.List()->count(), 3);
    Select(dialog, "Ann");
    dialog.ChooseSelected();
    ASSERT_TRUE(core.ChosenPlayer(0));
    EXPECT_EQ(core.ChosenPlayer(0)->Name(), "Ann");
    EXPECT_FALSE(core.ChosenPlayer(1));

    // A name taken is said in the dialog, and nothing changes.
    TPlayerDialog again(0, true, &h.Screen());
    EXPECT_EQ(again.windowTitle(), "Player one");
    EXPECT_EQ(again.List()->currentItem()->text(), "Ann");
    EXPECT_FALSE(again.RenameSelected("bob"));
    EXPECT_FALSE(again.Problem()->isHidden());
    EXPECT_TRUE(again.Problem()->text().contains("already")) << again.Problem()->text().toStdString();
    ASSERT_TRUE(again.RenameSelected("Anna"));
    EXPECT_TRUE(again.Problem()->isHidden());
    EXPECT_EQ(core.ChosenPlayer(0)->Names, QStringList({"Ann", "Anna"}));
    EXPECT_EQ(core.Training->PlayerNames(0), QStringList({"Ann", "Anna"}));

    Select(again, "No name");
    again.ChooseSelected();
    EXPECT_FALSE(core.ChosenPlayer(0));
    EXPECT_TRUE(core.Training->PlayerNames(0).isEmpty());
}

TEST(PlayerMenu, ProgressShowsTheChosenPlayersGamesUnderEveryName)
{
    TGameHarness h;
    TGameCore& core = h.Core();
    core.ChoosePlayerNamed(0, "Ann");
    TProgressWindow* window = ShowProgress(h.Screen(), 0);
    EXPECT_EQ(window->windowTitle(), "Progress of Ann");
    EXPECT_FALSE(window->Nothing()->isHidden());
    EXPECT_TRUE(window->Chart()->isHidden());

    std::vector<TGameRecord> games;
    for (int d = 0; d < 12; ++d) {
        TGameRecord r;
        r.Started = QDateTime(QDate(2025, 3, 1).addDays(d), QTime(10, 0));
        r.Song = "invincible.mid";
        r.Player = d % 4 == 3 ? 2 : 1;
        r.Input = "keyboard";
        r.Seconds = 170;
        r.Percent = 40 + 3 * d;
        r.Grips = 90 + 2 * d;
        r.Name = d % 4 == 3 ? "Bob" : d < 6 ? "Ann" : "Anna";
        games.push_back(r);
    }
    ASSERT_TRUE(core.Training->Log().Append(games));
    core.RenamePlayer(core.ChosenPlayer(0)->Id, "Anna");
    EXPECT_EQ(ShowProgress(h.Screen(), 0), window);
    EXPECT_EQ(window->windowTitle(), "Progress of Anna");
    ASSERT_FALSE(window->Chart()->isHidden());
    const QList<QAbstractSeries*> series = window->Chart()->chart()->series();
    ASSERT_EQ(series.size(), 2);  // the hit rate and the grips of one lane: none of Bob's
    EXPECT_EQ(series[0]->name(), "Anna: hit rate");
    EXPECT_TRUE(window->Chart()->chart()->title().startsWith("Training progress: Anna, all songs, 1 Mar 2025 to "))
        << window->Chart()->chart()->title().toStdString();
    if (const char* keep = std::getenv("GRIP_KEEP_PROGRESS")) {
        h.RunMs(200);
        window->grab().save(keep);
    }
}
