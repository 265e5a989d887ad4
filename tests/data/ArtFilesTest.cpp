#include "ArtScene.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace {

const QString kBin = QString::fromUtf8(GRIP_BIN_DIR);

QImage PatternImage(const TPictureCollectionItem& item, int k)
{
    const auto& pattern = item.Patterns().at(size_t(k));
    const TRect& r = pattern.Rect;
    return pattern.Surface->Image().copy(r.Left, r.Top, r.Width(), r.Height());
}

// The box of the pixels that show (anything but the transparent black).
QRect Shown(const QImage& image)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) != 0)
                box |= QRect(x, y, 1, 1);
    return box;
}

class ArtFiles : public ::testing::Test {
protected:
    scene::TArtScene scene{kBin};

    TPictureCollectionItem* Item(art::TStore store, std::string_view name)
    {
        return scene.Stores[size_t(scene::SlotOf(store))]->Items().ImageByName(std::string(name));
    }
};

TEST_F(ArtFiles, EveryImageTheGameUsesIsInItsStoreWithItsPatterns)
{
    std::array<int, ImageStoreCount> perStore{};
    for (const art::TCatalogueEntry& entry : art::Catalogue) {
        SCOPED_TRACE(std::string(entry.Name));
        TPictureCollectionItem* item = nullptr;
        ASSERT_NO_THROW(item = Item(entry.Store, entry.Name));
        EXPECT_EQ(item->Name(), entry.Name) << "found under another case";
        EXPECT_EQ(item->PatternCount(), entry.Patterns);
        EXPECT_TRUE(item->Transparent);
        EXPECT_EQ(item->TransparentColor(), 0u);
        ++perStore[size_t(scene::SlotOf(entry.Store))];
    }
    for (int s = 0; s < ImageStoreCount; ++s)
        EXPECT_EQ(scene.Stores[size_t(s)]->Items().Count(), perStore[size_t(s)]) << "store " << s << " holds extras";
}

TEST_F(ArtFiles, EveryPatternShowsSomethingAndNoTwoPatternsOfAnImageAreAlike)
{
    for (const art::TCatalogueEntry& entry : art::Catalogue) {
        SCOPED_TRACE(std::string(entry.Name));
        const TPictureCollectionItem& item = *Item(entry.Store, entry.Name);
        std::vector<QImage> patterns;
        for (int k = 0; k < item.PatternCount(); ++k) {
            patterns.push_back(PatternImage(item, k));
            const QRect shown = Shown(patterns.back());
            // Something real, not a speck: at least a fifth of the pattern in each direction.
            EXPECT_GE(shown.width() * 5, item.EffectiveWidth()) << "pattern " << k;
            EXPECT_GE(shown.height() * 5, item.EffectiveHeight()) << "pattern " << k;
        }
        for (size_t a = 0; a < patterns.size(); ++a)
            for (size_t b = a + 1; b < patterns.size(); ++b)
                EXPECT_NE(patterns[a], patterns[b]) << "patterns " << a << " and " << b;
    }
}

TEST_F(ArtFiles, BallsAreCentredOnOneLaneLineAndSizedByHowHardToGrip)
{
    struct TBall {
        const char* name;
        double y; // where the lane draws it on player one's lane
    };
    const TBall balls[] = {{"red", 112}, {"blue", 122}, {"yellow", 128}, {"unbroken", 122}, {"stool", 122}};
    std::map<std::string, QRect> shown;
    for (const TBall& ball : balls) {
        const TPictureCollectionItem& item = *Item(art::TStore::Balls, ball.name);
        const QRect box = Shown(PatternImage(item, 0));
        shown[ball.name] = box;
        const QRectF centred = QRectF(box).translated(0, ball.y);
        EXPECT_NEAR(centred.center().y(), 135, 1.0) << ball.name;
        EXPECT_NEAR(QRectF(box).center().x(), item.EffectiveWidth() / 2.0, 1.0) << ball.name;
        EXPECT_EQ(item.EffectiveWidth(), Item(art::TStore::Balls, "red")->EffectiveWidth())
            << "every ball must reach the middle of the mark together";
    }
    EXPECT_GT(shown["red"].height(), shown["blue"].height() + 8);
    EXPECT_GT(shown["blue"].height(), shown["yellow"].height() + 6);
}

TEST_F(ArtFiles, RuleRingsSitWhereTheBallsAreJudged)
{
    // A ball is judged best with its left edge on the mark's X, so its middle is 23 further.
    const double middle = 275 + Item(art::TStore::Balls, "red")->EffectiveWidth() / 2.0;
    const QRectF one = QRectF(Shown(PatternImage(*Item(art::TStore::Fixed, "Rule1P"), 0))).translated(275, 117);
    const QRectF two = QRectF(Shown(PatternImage(*Item(art::TStore::Fixed, "Rule2P"), 0))).translated(275, 290);
    EXPECT_NEAR(one.center().x(), middle, 1.0);
    EXPECT_NEAR(one.center().y(), 135, 1.0);
    EXPECT_NEAR(two.center().x(), middle, 1.0);
    EXPECT_NEAR(two.center().y(), 305, 1.0);
}

TEST_F(ArtFiles, PlayerOnesFigureAndToysNeverHideUnderTheTitleOrTheScoreboard)
{
    const QRect title = Shown(PatternImage(*Item(art::TStore::Context, "songname"), 0)).translated(45, 7);
    const QRect score = QRect(240, 7, 60, 14); // six score digits
    struct TActor {
        const char* name;
        QPoint at;
    };
    for (const TActor& actor : {TActor{"jump1p", {30, -3}}, TActor{"cube", {115, 0}}, TActor{"cylinder", {135, -20}},
                                TActor{"tomoto", {205, 0}}}) {
        const TPictureCollectionItem& item = *Item(art::TStore::Animation, actor.name);
        for (int k = 0; k < item.PatternCount(); ++k) {
            const QRect body = Shown(PatternImage(item, k)).translated(actor.at);
            EXPECT_FALSE(body.intersects(title)) << actor.name << " pattern " << k;
            EXPECT_FALSE(body.intersects(score)) << actor.name << " pattern " << k;
            EXPECT_LE(body.bottom(), 104) << actor.name << " pattern " << k << " stands in the lane";
        }
    }
}

TEST(ArtGenerator, WritesTheSameFilesEveryTime)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QProcess gen;
    gen.start(QString::fromUtf8(GRIP_ARTGEN), {dir.path()});
    ASSERT_TRUE(gen.waitForFinished(120000));
    ASSERT_EQ(gen.exitCode(), 0) << gen.readAllStandardError().toStdString();
    for (const art::TStoreFile& file : art::StoreFiles) {
        const QString name = QString::fromLatin1(file.FileName.data(), qsizetype(file.FileName.size()));
        QFile again(dir.filePath(name)), built(kBin + name);
        ASSERT_TRUE(again.open(QIODevice::ReadOnly)) << name.toStdString();
        ASSERT_TRUE(built.open(QIODevice::ReadOnly)) << name.toStdString();
        EXPECT_TRUE(again.readAll() == built.readAll()) << name.toStdString();
    }
}

TEST(ArtGenerator, RefusesToRunWithoutAFolder)
{
    QProcess gen;
    gen.start(QString::fromUtf8(GRIP_ARTGEN), {});
    ASSERT_TRUE(gen.waitForFinished(60000));
    EXPECT_NE(gen.exitCode(), 0);
    gen.start(QString::fromUtf8(GRIP_ARTGEN), {QStringLiteral("/nonexistent/folder")});
    ASSERT_TRUE(gen.waitForFinished(60000));
    EXPECT_NE(gen.exitCode(), 0);
    EXPECT_TRUE(gen.readAllStandardError().contains("cannot write"));
}

} // namespace
