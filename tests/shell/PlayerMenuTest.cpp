// Players by name and their progress, from the surface's right-click menu.
#include "support/GameHarness.h"

#include "core/GameCore.h"
#include "shell/PlayerDialog.h"
#include "shell/ScreenForm.h"
#include "shell/SurfaceMenu.h"
#include "training/Training.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>

#include <gtest/gtest.h>

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
    EXPECT_TRUE(entries.contains("Player…")) << entries.join('|').toStdString();

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
