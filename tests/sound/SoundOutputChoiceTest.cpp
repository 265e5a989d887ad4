// The outputs tried in order: what fails is logged with the system's reason, the sound goes to
// the first that starts, else to the one that keeps looking, else nowhere.
#include "platform/Override.h"
#include "sound/AlsaSoundOutput.h"
#include "sound/ManualSoundOutput.h"
#include "sound/PulseSoundOutput.h"
#include "sound/SoundOutputChoice.h"

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
        server_ = TOverride([had = server != nullptr, was = std::string(server ? server : "")] {
            had ? setenv("PULSE_SERVER", was.c_str(), 1) : unsetenv("PULSE_SERVER");
        });
        setenv("PULSE_SERVER", "unix:/nonexistent/grip/native", 1);
        logged = &lines_;
        QLoggingCategory::setFilterRules("grip.sound.info=true");
        log_ = TOverride([previous = qInstallMessageHandler(Collect)] {
            qInstallMessageHandler(previous);
            QLoggingCategory::setFilterRules("");
            logged = nullptr;
        });
    }
    QString Log() const { return lines_.join('\n'); }

    QStringList lines_;

private:
    TOverride server_, log_;
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
        auto alsa = std::make_unique<TAlsaSoundOutput>("grip_no_such_device");
        const TAlsaSoundOutput& card = *alsa;
        std::vector<std::unique_ptr<TSoundOutput>> outputs;
        outputs.push_back(std::make_unique<TPulseSoundOutput>());
        outputs.push_back(std::move(alsa));
        TSoundOutputChoice choice(std::move(outputs));
        EXPECT_FALSE(choice.Start(1500));
        EXPECT_EQ(choice.Current().Name(), "pulseaudio");
        ASSERT_TRUE(QString::fromStdString(card.Failure()).startsWith("grip_no_such_device: "));
        EXPECT_TRUE(Log().contains(QString("No sound through alsa - ") + QString::fromStdString(card.Failure())))
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
    EXPECT_NE(dynamic_cast<TSilentSoundOutput*>(&choice.Current()), nullptr);
    TCountingSource source;
    choice.Attach(&source);
    EXPECT_EQ(source.lost, 1);
    EXPECT_TRUE(Log().contains("Silent: no output can be tried again")) << Log().toStdString();
}
