#include "shell/SessionMenu.h"

#include "core/GameCore.h"
#include "shell/SurfaceMenu.h"
#include "shell/SurfaceNotices.h"

#include <QStringList>

#include <optional>

namespace {

const QString kOff = "off";
const QStringList kPlans{kOff, "15 minutes", "30 minutes", "45 minutes", "3 songs", "5 songs", "10 songs"};

// What the player chose last, shown ticked while that session runs.
QString chosen = kOff;

TSessionPlan PlanNamed(const QString& name)
{
    const int count = name.section(' ', 0, 0).toInt();
    TSessionPlan plan = name.endsWith("minutes") ? TSessionPlan{count, 0} : TSessionPlan{0, count};
    plan.GripTests = GameCore->SessionGripTests();
    return plan;
}

} // namespace

void AddSessionEntry(TSurfaceMenu& menu)
{
    menu.AddChoice(
        "Session", kPlans,
        [] { return GameCore && GameCore->Session().Running() ? chosen : kOff; },
        [](const QString& plan) {
            if (!GameCore)
                return;
            chosen = plan;
            if (plan == kOff)
                GameCore->EndSession();
            else
                GameCore->StartSession(PlanNamed(plan));
        });
    menu.AddOption(
        "Grip tests in a session", [] { return GameCore && GameCore->SessionGripTests(); },
        [](bool on) {
            if (GameCore)
                GameCore->SetSessionGripTests(on);
        });
}

void ShowSessionNotice(const TGameCore& core, TSurfaceNotices& notices)
{
    const QString text = core.SessionText();
    if (text.isEmpty())
        notices.Hide("session");
    else
        notices.Show("session", text);
}
