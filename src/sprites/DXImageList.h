#pragma once

#include "sprites/DXDraws.h"
#include "sprites/PictureCollection.h"

#include <QObject>
#include <QPointer>

// An image store: a picture collection bound to a drawing-surface component, which turns its
// pictures into surfaces whenever the component initialises or restores.
class TCustomDXImageList : public QObject {
public:
    explicit TCustomDXImageList(QObject* owner = nullptr);
    ~TCustomDXImageList() override;

    TDXDraw* DXDraw() const { return FDXDraw; }
    void SetDXDraw(TDXDraw* value);
    TPictureCollection& Items() { return FItems; }
    const TPictureCollection& Items() const { return FItems; }
    void SetItems(const TPictureCollection& value) { FItems.Assign(value); }

private:
    void SurfaceNotify(TDXDrawNotifyType kind);

    TDXDraw* FDXDraw = nullptr;
    QMetaObject::Connection FRemoval;
    TPictureCollection FItems{this};
};

class TDXImageList : public TCustomDXImageList {
public:
    using TCustomDXImageList::TCustomDXImageList;
};
