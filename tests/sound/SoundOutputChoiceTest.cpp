// The outputs tried in order: what fails is logged with the system's reason, the sound goes to
// the first that starts, else to the one that keeps looking, else nowhere.
#include "sound/AlsaSoundOutput.h"
#include "sound/PulseSoundOutput.h"
#include "sound/SoundOutputChoice.h"
#include "sound/ManualSoundOutput.h"

#include <gtest/gtest.h>

#include <QLoggingCategory>
#include <QStringList>

#include <pulse/pulseaudio.h>

#include <cstdlib>
#include <memory>

namespace {

QStringList* logged = nullptr;

void Collect(QtMsgType, const QMessageLogContext& context, const QString& text)
{
    if (logged && QByteArray(context.category) == "grip.sound")
        logged->append(text);
}

// The sound log, with PULSE_SERVER pointing where no server is.
class SoundChoice : public testing::Test {
protected:
    void SetUp() override
    {
        const char* server = std::getenv("PULSE_SERVER");
        savedServer_ = server ? server : "";
        hadServer_ = server != nullptr;
        setenv("PULSE_SERVER", "unix:/nonexistent/grip/native", 1);
        logged = &lines_;
        QLoggingCategory::setFilterRules("grip.sound.info=true");
        previous_ = qInstallMessageHandler(Collect);
    }
    void TearDown() override
    {
        qInstallMessageHandler(previous_);
        QLoggingCategory::setFilterRules("");
        logged = nullptr;
        if (hadServer_)
            setenv("PULSE_SERVER", savedServer_.c_str(), 1);
        else
            unsetenv("PULSE_SERVER");
    }
    QString Log() const { return lines_.join('\n'); }

    QStringList lines_;

private:
    std::string savedServer_;
    bool hadServer_ = false;
    QtMessageHandler previous_ = nullptr;
};

class TCountingSource final : public TSoundSource {
public:
    bool Mix(float*, int, std::int64_t) override { ++mixes; return false; }
    bool Pending() const override { return false; }
    void Lost() override { ++lost; }
    void Restored() override { ++restored; }
    int mixes = 0, lost = 0, restored = 0;
};

} // namespace

TEST_F(SoundChoice, AServerThatIsNotThereIsLoggedWithItsReasonAndTheNextOutputTakesTheSound)
{
    auto manual = std::make_unique<TManualSoundOutput>();
    TManualSoundOutput& card = *manual;
    std::vector<std::unique_ptr<TSoundOutput>> outputs;
    outputs.push_back(std::make_unique<TPulseSoundOutput>());
    outputs.push_back(std::move(manual));
    TSoundOutputChoice choice(std::move(outputs));
    // Attached before the choice: it moves with the sound.
    TCountingSource source;
    choice.Attach(&source);
    EXPECT_TRUE(choice.Start(1500));
    EXPECT_EQ(&choice.Current(), &card);
    card.Pull(64, 0);
    EXPECT_EQ(source.mixes, 1);
    EXPECT_GE(source.restored, 1);
    EXPECT_TRUE(Log().contains(QString("No sound through pulseaudio - ") + pa_strerror(PA_ERR_CONNECTIONREFUSED)))
        << Log().toStdString();
    choice.Detach(&source);
    card.Pull(64, 0);
    EXPECT_EQ(source.mixes, 1);
}

TEST_F(SoundChoice, WhenNothingStartsTheSoundWaitsForTheServerThatKeepsLookingElseGoesNowhere)
{
    {
        std::vector<std::unique_ptr<TSoundOutput>> outputs;
        outputs.push_back(std::make_unique<TPulseSoundOutput>());
        outputs.push_back(std::make_unique<TAlsaSoundOutput>("grip_no_such_device"));
        const std::string alsaFailure = [] {
            TAlsaSoundOutput alsa("grip_no_such_device");
            alsa.Start(0);
            return alsa.Failure();
        }();
        ASSERT_NE(alsaFailure, "");
        TSoundOutputChoice choice(std::move(outputs));
        EXPECT_FALSE(choice.Start(1500));
        EXPECT_EQ(choice.Current().Name(), "pulseaudio");
        EXPECT_TRUE(choice.KeepsLooking());
        EXPECT_TRUE(Log().contains(QString("No sound through alsa - ") + QString::fromStdString(alsaFailure)))
            << Log().toStdString();
        EXPECT_TRUE(Log().contains("Silent until pulseaudio answers")) << Log().toStdString();
        TCountingSource source;
        choice.Attach(&source);
        EXPECT_EQ(source.lost, 1);
        choice.Detach(&source);
    }
    lines_.clear();
    auto away = std::make_unique<TManualSoundOutput>();
    away->SetConnected(false);
    std::vector<std::unique_ptr<TSoundOutput>> outputs;
    outputs.push_back(std::move(away));
    TSoundOutputChoice choice(std::move(outputs));
    EXPECT_FALSE(choice.Start(0));
    EXPECT_EQ(dynamic_cast<TSilentSoundOutput*>(&choice.Current()) != nullptr, true);
    TCountingSource source;
    choice.Attach(&source);
    EXPECT_EQ(source.lost, 1);
    EXPECT_TRUE(Log().contains("Silent: no output can be tried again")) << Log().toStdString();
}
