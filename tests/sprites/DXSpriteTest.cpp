#include "sprites/DXSprite.h"

#include <gtest/gtest.h>

#include <QWidget>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

// Records what the engine asks of it into a shared journal.
class TProbe : public TSprite {
public:
    TProbe(TSprite* parent, std::string name, std::vector<std::string>* journal, int z = 0)
        : TSprite(parent), name_(std::move(name)), journal_(journal)
    {
        Width = 10;
        Height = 10;
        SetZ(z);
    }
    void DrawSelf() override { journal_->push_back("draw " + name_); }
    void MoveSelf(int moveCount) override { journal_->push_back("move " + name_ + " " + std::to_string(moveCount)); }
    void HandleCollision(TSprite* other, bool& done) override
    {
        auto* probe = dynamic_cast<TProbe*>(other);
        journal_->push_back("hit " + (probe ? probe->name_ : std::string("?")));
        if (setDoneOn == other)
            done = true;
        if (dropCollidableOn == other)
            Collidable = false;
    }
    bool AcceptsCollision(TSprite* other) override { return other != refuse; }

    const std::string& Name() const { return name_; }
    TSprite* setDoneOn = nullptr;
    TSprite* dropCollidableOn = nullptr;
    TSprite* refuse = nullptr;

private:
    std::string name_;
    std::vector<std::string>* journal_;
};

std::vector<std::string> PaintNames(const TSprite& parent)
{
    std::vector<std::string> names;
    for (int i = 0; i < parent.PaintCount(); ++i)
        names.push_back(static_cast<TProbe*>(parent.PaintItems(i))->Name());
    return names;
}

struct EngineFixture : ::testing::Test {
    EngineFixture()
    {
        surface.SetSize(100, 80);
        engine.SetSurface(&surface);
    }
    TDirectDrawSurface surface;
    TSpriteEngine engine;
    std::vector<std::string> journal;
    using Names = std::vector<std::string>;
};

} // namespace

TEST_F(EngineFixture, EqualZGoesBeneathAndSetZResortsOnlyOnChange)
{
    auto* a = new TProbe(&engine, "a", &journal);
    auto* b = new TProbe(&engine, "b", &journal);
    EXPECT_EQ(PaintNames(engine), (Names{"b", "a"})) << "the second of equal Z must draw first";

    auto* c = new TProbe(&engine, "c", &journal, 5);
    auto* d = new TProbe(&engine, "d", &journal, -3);
    EXPECT_EQ(PaintNames(engine), (Names{"d", "b", "a", "c"}));

    // Same value: nothing moves, although a re-insert would put it beneath b.
    a->SetZ(0);
    EXPECT_EQ(PaintNames(engine), (Names{"d", "b", "a", "c"}));
    // Joining c's Z puts the moved sprite beneath c.
    b->SetZ(5);
    EXPECT_EQ(PaintNames(engine), (Names{"d", "a", "b", "c"}));
    EXPECT_EQ(b->Z(), 5);
    // Children order is untouched by Z.
    EXPECT_EQ(engine.Items(0), a);
    EXPECT_EQ(engine.Items(1), b);
    EXPECT_EQ(engine.Items(2), c);
    EXPECT_EQ(engine.Items(3), d);
}

TEST_F(EngineFixture, ItemsErrorsAndChildListLifetime)
{
    try {
        engine.Items(0);
        FAIL() << "no error on a childless sprite";
    } catch (const ESpriteError& e) {
        EXPECT_STREQ(e.what(), "Index of the list exceeds the range. (0)");
    }
    auto* a = new TProbe(&engine, "a", &journal);
    auto* child = new TProbe(a, "child", &journal);
    EXPECT_EQ(child->Engine(), &engine) << "a grandchild takes its parent's engine";
    EXPECT_EQ(a->Engine(), &engine);
    EXPECT_EQ(engine.Engine(), nullptr);
    try {
        engine.Items(1);
        FAIL() << "no error outside a non-empty list";
    } catch (const EListError& e) {
        EXPECT_STREQ(e.what(), "List index out of bounds (1)");
    }
    EXPECT_THROW(engine.Items(-1), EListError);
    delete a; // takes its child with it
    EXPECT_EQ(engine.Count(), 0);
    EXPECT_THROW(engine.Items(0), ESpriteError);
}

TEST_F(EngineFixture, ClearDeletesWholeSubtreesLastChildFirst)
{
    struct TCounted : TSprite {
        TCounted(TSprite* p, std::vector<int>* log, int id) : TSprite(p), log_(log), id_(id) {}
        ~TCounted() override { log_->push_back(id_); }
        std::vector<int>* log_;
        int id_;
    };
    std::vector<int> deleted;
    auto* one = new TCounted(&engine, &deleted, 1);
    new TCounted(one, &deleted, 11);
    new TCounted(&engine, &deleted, 2);
    engine.Clear();
    EXPECT_EQ(deleted, (std::vector<int>{2, 1, 11}));
    EXPECT_EQ(engine.Count(), 0);
}

TEST_F(EngineFixture, MoveVisitsParentsFirstInInsertionOrderAndStopsAtDisabled)
{
    auto* a = new TProbe(&engine, "a", &journal, 9);
    new TProbe(a, "a1", &journal);
    auto* b = new TProbe(&engine, "b", &journal, 1);
    new TProbe(b, "b1", &journal);
    engine.Move(3);
    EXPECT_EQ(journal, (Names{"move a 3", "move a1 3", "move b 3", "move b1 3"}));

    journal.clear();
    a->MoveEnabled = false;
    engine.Move(0);
    EXPECT_EQ(journal, (Names{"move b 0", "move b1 0"})) << "a disabled sprite freezes its subtree";
}

TEST_F(EngineFixture, DrawFollowsZWithParentsBeforeChildrenAndSkipsHiddenSubtrees)
{
    auto* top = new TProbe(&engine, "top", &journal, 10);
    new TProbe(top, "under-top", &journal, -50);
    auto* low = new TProbe(&engine, "low", &journal, 0);
    auto* hidden = new TProbe(&engine, "hidden", &journal, 5);
    new TProbe(hidden, "hidden-child", &journal, 0);
    hidden->Visible = false;
    engine.Draw();
    EXPECT_EQ(journal, (Names{"draw low", "draw top", "draw under-top"}));
    (void)low;
}

TEST_F(EngineFixture, DrawNeedsStrictOverlapButStillDescends)
{
    // Surface is 100 x 80. A box whose right edge equals the surface's left edge only touches.
    auto* touching = new TProbe(&engine, "touching", &journal);
    touching->X = -10;
    auto* inside = new TProbe(touching, "inside", &journal);
    inside->X = 15; // absolute 5
    auto* below = new TProbe(&engine, "below", &journal);
    below->Y = 80;
    auto* corner = new TProbe(&engine, "corner", &journal);
    corner->X = 99.9;
    corner->Y = 79.9;
    auto* negative = new TProbe(&engine, "negative", &journal);
    negative->X = -9.9; // truncates towards zero: box -9 .. 1, overlapping
    engine.Draw();
    std::sort(journal.begin(), journal.end());
    EXPECT_EQ(journal, (Names{"draw corner", "draw inside", "draw negative"}));
}

TEST_F(EngineFixture, BoundingRectUsesAbsolutePositionTruncatedTowardZero)
{
    auto* parent = new TProbe(&engine, "p", &journal);
    parent->X = 10.75;
    parent->Y = -0.5;
    auto* child = new TProbe(parent, "c", &journal);
    child->X = -20.5;
    child->Y = 3.25;
    child->Width = 4;
    child->Height = 6;
    EXPECT_DOUBLE_EQ(child->AbsoluteX(), -9.75);
    EXPECT_EQ(child->BoundingRect(), (TRect{-9, 2, -5, 8}));
    EXPECT_EQ(parent->BoundingRect(), (TRect{10, 0, 20, 10}));
}

TEST_F(EngineFixture, CollisionsNeedStrictOverlapAndNeverHitTheQueryingSprite)
{
    auto* mark = new TProbe(&engine, "mark", &journal);
    mark->X = 50;
    auto* markChild = new TProbe(mark, "mark-child", &journal);
    markChild->X = -5;
    auto* over = new TProbe(&engine, "over", &journal);
    over->X = 59;
    auto* touch = new TProbe(&engine, "touch", &journal);
    touch->X = 60; // left edge on the mark's exclusive right edge
    auto* far = new TProbe(&engine, "far", &journal);
    far->X = 200;
    EXPECT_EQ(mark->CheckCollisions(), 2);
    EXPECT_EQ(journal, (Names{"hit mark-child", "hit over"}));
    (void)touch;
    (void)far;
}

TEST_F(EngineFixture, DoneOnlyStopsTheDescentAndLaterSiblingsAreStillHit)
{
    auto* mark = new TProbe(&engine, "mark", &journal);
    auto* first = new TProbe(&engine, "first", &journal);
    new TProbe(first, "first-child", &journal);
    auto* second = new TProbe(&engine, "second", &journal);
    new TProbe(second, "second-child", &journal);
    mark->setDoneOn = first;
    EXPECT_EQ(mark->CheckCollisions(), 2);
    EXPECT_EQ(journal, (Names{"hit first", "hit second"}))
        << "done must skip only children, from the sprite where it was set on";
}

TEST_F(EngineFixture, LosingCollidableSetsDoneAndNonCollidableSubtreesAreSkipped)
{
    auto* mark = new TProbe(&engine, "mark", &journal);
    auto* wall = new TProbe(&engine, "wall", &journal);
    wall->Collidable = false;
    new TProbe(wall, "behind-wall", &journal);
    auto* a = new TProbe(&engine, "a", &journal);
    new TProbe(a, "a-child", &journal);
    auto* b = new TProbe(&engine, "b", &journal);
    mark->dropCollidableOn = a;
    EXPECT_EQ(mark->CheckCollisions(), 2);
    EXPECT_EQ(journal, (Names{"hit a", "hit b"}));

    journal.clear();
    EXPECT_EQ(mark->CheckCollisions(), 0) << "a non-collidable query sprite calls nothing";
    EXPECT_TRUE(journal.empty());
    (void)b;
}

TEST_F(EngineFixture, EitherSideMayRefuseACollision)
{
    auto* mark = new TProbe(&engine, "mark", &journal);
    auto* a = new TProbe(&engine, "a", &journal);
    auto* b = new TProbe(&engine, "b", &journal);
    mark->refuse = a;
    b->refuse = mark;
    EXPECT_EQ(mark->CheckCollisions(), 0);
    EXPECT_TRUE(journal.empty());
    TProbe loose(nullptr, "loose", &journal);
    EXPECT_EQ(loose.CheckCollisions(), 0) << "a sprite without an engine finds nothing";
}

TEST(DXSpriteEngine, FollowsTheSurfaceComponent)
{
    QWidget form;
    auto* draw = new TDXDraw(&form);
    draw->AutoInitialize = false;
    draw->resize(64, 48);
    std::vector<std::string> journal;
    {
        TDXSpriteEngine layer;
        auto* probe = new TProbe(&layer.Engine(), "p", &journal);
        layer.SetDXDraw(draw);
        EXPECT_EQ(layer.Engine().Surface(), nullptr);
        layer.Draw();
        layer.Move(2);
        EXPECT_EQ(journal, (std::vector<std::string>{"move p 2"})) << "Move runs always, Draw needs a surface";

        journal.clear();
        draw->Initialize();
        EXPECT_EQ(layer.Engine().Surface(), &draw->Surface());
        EXPECT_EQ(layer.Engine().SurfaceRect(), (TRect{0, 0, 64, 48}));
        EXPECT_EQ(layer.Engine().Width, 64);
        layer.Draw();
        EXPECT_EQ(journal, (std::vector<std::string>{"draw p"}));

        draw->Finalize();
        EXPECT_EQ(layer.Engine().Surface(), nullptr);
        EXPECT_EQ(layer.Engine().SurfaceRect(), (TRect{0, 0, 64, 48})) << "the rectangle is kept when unbound";
        (void)probe;
    }
    // A layer attached to an initialised component binds at once; the component's end
    // detaches it.
    draw->Initialize();
    TDXSpriteEngine late;
    late.SetDXDraw(draw);
    EXPECT_EQ(late.Engine().Surface(), &draw->Surface());
    delete draw;
    EXPECT_EQ(late.DXDraw(), nullptr);
    EXPECT_EQ(late.Engine().Surface(), nullptr);
    late.Draw(); // must not touch the deleted component
}
