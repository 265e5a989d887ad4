#pragma once

#include "platform/Exception.h"
#include "platform/Geometry.h"
#include "sprites/DXDraws.h"

#include <QMetaObject>
#include <QObject>

#include <cstdint>
#include <memory>
#include <vector>

class ESpriteError : public Exception {
public:
    using Exception::Exception;
};

// An index outside a non-empty child list.
class EListError : public Exception {
public:
    using Exception::Exception;
};

class TSpriteEngine;
class TPictureCollectionItem;

// A node of a layer's sprite tree. A sprite owns its children: deleting it deletes its whole
// subtree first and then unlinks it from its parent.
class TSprite {
public:
    explicit TSprite(TSprite* parent);
    virtual ~TSprite();
    TSprite(const TSprite&) = delete;
    TSprite& operator=(const TSprite&) = delete;

    TSpriteEngine* Engine() const { return engine_; }
    TSprite* Parent() const { return parent_; }

    // Deletes every child, the last one first.
    void Clear();
    int Count() const;
    // Children in insertion order.
    TSprite* Items(int index) const;
    // Children in drawing order (Z ascending); empty when there are none.
    int PaintCount() const;
    TSprite* PaintItems(int index) const;

    void Move(int moveCount);
    void Draw();
    int CheckCollisions();

    std::int32_t Z() const { return z_; }
    void SetZ(std::int32_t value);

    double AbsoluteX() const;
    double AbsoluteY() const;

    bool Collidable = true;
    bool MoveEnabled = true;
    bool Visible = true;
    double X = 0;
    double Y = 0;
    std::int32_t Width = 0;
    std::int32_t Height = 0;

    // Hooks, in the order descendants override them.
    virtual void HandleCollision(TSprite* other, bool& done);
    virtual void DrawSelf();
    virtual void MoveSelf(int moveCount);
    virtual TRect BoundingRect() const;
    virtual bool AcceptsCollision(TSprite* other);

private:
    struct TChildLists {
        std::vector<TSprite*> children;
        std::vector<TSprite*> paintOrder;
    };

    void Add(TSprite* sprite);
    void Remove(TSprite* sprite);
    void InsertByZ(TSprite* sprite);
    void VisitCollision(TSpriteEngine& engine);

    TSpriteEngine* engine_ = nullptr;
    TSprite* parent_ = nullptr;
    // Exists only while the sprite has children.
    std::unique_ptr<TChildLists> lists_;
    std::int32_t z_ = 0;
};

// A sprite that draws one pattern of a named image and animates through its patterns.
class TImageSprite : public TSprite {
public:
    explicit TImageSprite(TSprite* parent);

    std::int32_t FrameCount = 0;
    bool FrameLoop = false;
    double FramePos = 0;
    double FrameSpeed = 0;
    // Not owned: it belongs to its image store. Assigning it leaves Width and Height alone.
    TPictureCollectionItem* Image = nullptr;

    int CurrentPattern() const;
    // The sprite's box with the image's pattern centred in it.
    TRect ImageRect() const;

    void DrawSelf() override;
    void MoveSelf(int moveCount) override;
};

// The root of one layer's tree; it draws nothing itself.
class TSpriteEngine : public TSprite {
public:
    TSpriteEngine();

    // Binding takes the surface's client rectangle and size; unbinding keeps the rectangle.
    void SetSurface(TDirectDrawSurface* surface);
    TDirectDrawSurface* Surface() const { return surface_; }
    const TRect& SurfaceRect() const { return surfaceRect_; }

private:
    friend class TSprite;
    TDirectDrawSurface* surface_ = nullptr;
    TRect surfaceRect_;
    // Scratch state of the collision query that is running.
    TSprite* collisionSprite_ = nullptr;
    TRect collisionRect_;
    bool collisionDone_ = false;
    int collisionCount_ = 0;
};

// One drawing layer: owns its engine and follows the drawing surface's notifications.
class TCustomDXSpriteEngine : public QObject {
public:
    explicit TCustomDXSpriteEngine(QObject* owner = nullptr);
    ~TCustomDXSpriteEngine() override;

    TSpriteEngine& Engine() { return *engine_; }
    TDXDraw* DXDraw() const { return dxDraw_; }
    void SetDXDraw(TDXDraw* value);

    void Move(int moveCount);
    // Draws only while the surface component is initialised.
    void Draw();

private:
    void SurfaceNotify(TDXDrawNotifyType kind);

    std::unique_ptr<TSpriteEngine> engine_;
    TDXDraw* dxDraw_ = nullptr;
    QMetaObject::Connection removal_;
};

class TDXSpriteEngine : public TCustomDXSpriteEngine {
public:
    using TCustomDXSpriteEngine::TCustomDXSpriteEngine;
};
