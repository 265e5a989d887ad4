#include "sprites/DXSprite.h"

#include "sprites/PictureCollection.h"

#include <algorithm>
#include <cmath>

namespace {

TSprite* At(const std::vector<TSprite*>& list, int index)
{
    if (index < 0 || static_cast<size_t>(index) >= list.size())
        throw EListError(Format("List index out of bounds (%d)", index));
    return list[static_cast<size_t>(index)];
}

} // namespace

TSprite::TSprite(TSprite* parent) : parent_(parent)
{
    if (parent_ == nullptr)
        return;
    parent_->Add(this);
    auto* engine = dynamic_cast<TSpriteEngine*>(parent_);
    engine_ = engine != nullptr ? engine : parent_->engine_;
}

TSprite::~TSprite()
{
    Clear();
    if (parent_ != nullptr)
        parent_->Remove(this);
}

void TSprite::Add(TSprite* sprite)
{
    if (!lists_)
        lists_ = std::make_unique<TChildLists>();
    lists_->children.push_back(sprite);
    InsertByZ(sprite);
}

void TSprite::Remove(TSprite* sprite)
{
    if (!lists_)
        return;
    // Children leave mostly from the back (Clear), so search from there.
    auto drop = [sprite](std::vector<TSprite*>& list) {
        auto it = std::find(list.rbegin(), list.rend(), sprite);
        if (it != list.rend())
            list.erase(std::next(it).base());
    };
    drop(lists_->children);
    drop(lists_->paintOrder);
    if (lists_->children.empty())
        lists_.reset();
}

// Binary search that stops before every sibling of equal Z, so among equal Z the sprite
// inserted last is drawn first, underneath the others.
void TSprite::InsertByZ(TSprite* sprite)
{
    auto& order = lists_->paintOrder;
    int lo = 0;
    int hi = static_cast<int>(order.size()) - 1;
    while (lo <= hi) {
        const int mid = (lo + hi) / 2;
        if (order[static_cast<size_t>(mid)]->z_ < sprite->z_)
            lo = mid + 1;
        else
            hi = mid - 1;
    }
    order.insert(order.begin() + lo, sprite);
}

void TSprite::Clear()
{
    while (lists_ && !lists_->children.empty())
        delete lists_->children.back();
}

int TSprite::Count() const { return lists_ ? static_cast<int>(lists_->children.size()) : 0; }

TSprite* TSprite::Items(int index) const
{
    if (!lists_)
        throw ESpriteError(Format("Index of the list exceeds the range. (%d)", index));
    return At(lists_->children, index);
}

int TSprite::PaintCount() const { return lists_ ? static_cast<int>(lists_->paintOrder.size()) : 0; }

TSprite* TSprite::PaintItems(int index) const
{
    if (!lists_)
        throw ESpriteError(Format("Index of the list exceeds the range. (%d)", index));
    return At(lists_->paintOrder, index);
}

void TSprite::SetZ(std::int32_t value)
{
    if (value == z_)
        return;
    z_ = value;
    if (parent_ == nullptr || !parent_->lists_)
        return;
    auto& order = parent_->lists_->paintOrder;
    order.erase(std::find(order.begin(), order.end(), this));
    parent_->InsertByZ(this);
}

double TSprite::AbsoluteX() const { return parent_ != nullptr ? X + parent_->AbsoluteX() : X; }

double TSprite::AbsoluteY() const { return parent_ != nullptr ? Y + parent_->AbsoluteY() : Y; }

void TSprite::Move(int moveCount)
{
    if (!MoveEnabled)
        return;
    MoveSelf(moveCount);
    const int n = Count();
    for (int i = 0; i < n; ++i)
        Items(i)->Move(moveCount);
}

void TSprite::Draw()
{
    if (!Visible)
        return;
    if (engine_ != nullptr && OverlapRect(BoundingRect(), engine_->surfaceRect_))
        DrawSelf();
    const int n = PaintCount();
    for (int i = 0; i < n; ++i)
        PaintItems(i)->Draw();
}

int TSprite::CheckCollisions()
{
    if (engine_ == nullptr || !Collidable)
        return 0;
    TSpriteEngine& engine = *engine_;
    engine.collisionCount_ = 0;
    engine.collisionDone_ = false;
    engine.collisionRect_ = BoundingRect();
    engine.collisionSprite_ = this;
    const int n = engine.Count();
    for (int i = 0; i < n; ++i)
        engine.Items(i)->VisitCollision(engine);
    return engine.collisionCount_;
}

// The done flag only keeps the query out of the subtree of the sprite at which it was set;
// later siblings are still visited.
void TSprite::VisitCollision(TSpriteEngine& engine)
{
    if (!Collidable)
        return;
    TSprite* source = engine.collisionSprite_;
    if (this != source && OverlapRect(BoundingRect(), engine.collisionRect_) && source->AcceptsCollision(this)
        && AcceptsCollision(source)) {
        ++engine.collisionCount_;
        source->HandleCollision(this, engine.collisionDone_);
        if (!source->Collidable)
            engine.collisionDone_ = true;
    }
    if (engine.collisionDone_)
        return;
    const int n = Count();
    for (int i = 0; i < n; ++i)
        Items(i)->VisitCollision(engine);
}

void TSprite::HandleCollision(TSprite*, bool&) {}

void TSprite::DrawSelf() {}

void TSprite::MoveSelf(int) {}

TRect TSprite::BoundingRect() const
{
    const auto left = static_cast<std::int32_t>(std::trunc(AbsoluteX()));
    const auto top = static_cast<std::int32_t>(std::trunc(AbsoluteY()));
    return TRect{left, top, left + Width, top + Height};
}

bool TSprite::AcceptsCollision(TSprite*) { return true; }

TImageSprite::TImageSprite(TSprite* parent) : TSprite(parent) {}

int TImageSprite::CurrentPattern() const { return static_cast<int>(std::trunc(FramePos)); }

TRect TImageSprite::ImageRect() const
{
    TRect r = BoundingRect();
    if (Image == nullptr)
        return r;
    const std::int32_t dx = (Width - Image->EffectiveWidth()) / 2;
    const std::int32_t dy = (Height - Image->EffectiveHeight()) / 2;
    return TRect{r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy};
}

void TImageSprite::DrawSelf()
{
    TDirectDrawSurface* surface = Engine() != nullptr ? Engine()->Surface() : nullptr;
    if (Image == nullptr || surface == nullptr)
        return;
    const TRect r = ImageRect();
    Image->DrawPattern(surface, r.Left, r.Top, CurrentPattern());
}

void TImageSprite::MoveSelf(int moveCount)
{
    FramePos += FrameSpeed * moveCount;
    if (FrameLoop) {
        if (FrameCount > 0) {
            FramePos -= std::trunc(FramePos / FrameCount) * FrameCount;
            if (FramePos < 0)
                FramePos += FrameCount;
        } else {
            FramePos = 0;
        }
        return;
    }
    if (FramePos >= FrameCount) {
        FramePos = FrameCount - 1;
        FrameSpeed = 0;
    }
    if (FramePos < 0) {
        FramePos = 0;
        FrameSpeed = 0;
    }
}

TSpriteEngine::TSpriteEngine() : TSprite(nullptr) {}

void TSpriteEngine::SetSurface(TDirectDrawSurface* surface)
{
    surface_ = surface;
    if (surface_ == nullptr)
        return;
    surfaceRect_ = surface_->ClientRect();
    Width = surface_->Width();
    Height = surface_->Height();
}

TCustomDXSpriteEngine::TCustomDXSpriteEngine(QObject* owner)
    : QObject(owner), engine_(std::make_unique<TSpriteEngine>())
{
}

TCustomDXSpriteEngine::~TCustomDXSpriteEngine()
{
    SetDXDraw(nullptr);
    engine_.reset();
}

void TCustomDXSpriteEngine::SetDXDraw(TDXDraw* value)
{
    if (value == dxDraw_)
        return;
    if (dxDraw_ != nullptr) {
        QObject::disconnect(removal_);
        TDXDraw* previous = dxDraw_;
        dxDraw_ = nullptr;
        previous->Unregister(this);
    }
    dxDraw_ = value;
    if (dxDraw_ == nullptr)
        return;
    // The surface component says "destroying" first; this only covers a component that
    // disappears without saying so, and must not touch it.
    removal_ = QObject::connect(dxDraw_, &QObject::destroyed, this, [this] {
        dxDraw_ = nullptr;
        engine_->SetSurface(nullptr);
    });
    dxDraw_->Register(this, [this](TDXDrawNotifyType kind) { SurfaceNotify(kind); });
}

void TCustomDXSpriteEngine::SurfaceNotify(TDXDrawNotifyType kind)
{
    switch (kind) {
    case dxntDestroying:
        SetDXDraw(nullptr);
        break;
    case dxntInitialize:
        if (dxDraw_ != nullptr)
            engine_->SetSurface(&dxDraw_->Surface());
        break;
    case dxntFinalize:
        engine_->SetSurface(nullptr);
        break;
    default:
        break;
    }
}

void TCustomDXSpriteEngine::Move(int moveCount) { engine_->Move(moveCount); }

void TCustomDXSpriteEngine::Draw()
{
    if (dxDraw_ != nullptr && dxDraw_->Initialized())
        engine_->Draw();
}
