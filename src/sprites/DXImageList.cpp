#include "sprites/DXImageList.h"

TCustomDXImageList::TCustomDXImageList(QObject* owner) : QObject(owner) {}

TCustomDXImageList::~TCustomDXImageList()
{
    SetDXDraw(nullptr);
}

void TCustomDXImageList::SetDXDraw(TDXDraw* value)
{
    if (value == FDXDraw)
        return;
    if (FDXDraw != nullptr) {
        disconnect(FRemoval);
        TDXDraw* previous = FDXDraw;
        FDXDraw = nullptr;
        previous->Unregister(this);
        // Unregistering finalises the items; whatever it left bound is let go here.
        FItems.Unbind();
    }
    FDXDraw = value;
    if (FDXDraw != nullptr) {
        // The component normally says it is going; this covers one removed without a word.
        FRemoval = connect(FDXDraw, &QObject::destroyed, this, [this] {
            FDXDraw = nullptr;
            FItems.Unbind();
        });
        FDXDraw->Register(this, [this](TDXDrawNotifyType kind) { SurfaceNotify(kind); });
    }
}

void TCustomDXImageList::SurfaceNotify(TDXDrawNotifyType kind)
{
    switch (kind) {
    case dxntDestroying:
        SetDXDraw(nullptr);
        break;
    case dxntInitialize:
        FItems.Bind(FDXDraw);
        break;
    case dxntFinalize:
        FItems.Unbind();
        break;
    case dxntRestore:
        FItems.RebuildPatterns();
        break;
    default:
        break;
    }
}
