#include "game/Scenery.h"

#include "game/TitlePlate.h"
#include "sprites/DXImageList.h"

TBackScenery::TBackScenery(TSprite* parent) : TActive(parent) { SetPosition(0, 0); }

TBackSceneryOne::TBackSceneryOne(TSprite* parent) : TBackScenery(parent)
{
    SetImage(SlotImgFixed, "Back1p");
    SetPosition(33, 5);
    FrameCount = 2;
    FramePos = 0;
    SetPace(4);
}

void TBackSceneryOne::TimerTick()
{
    TBackScenery::TimerTick();
    FramePos = FramePos + 1;
    if (!(FramePos < FrameCount))
        FramePos = 0;
}

TBackSceneryTwo::TBackSceneryTwo(TSprite* parent) : TBackScenery(parent)
{
    SetImage(SlotImgFixed, "Back2P");
    SetPosition(33, 178);
}

TPrincipal::TPrincipal(TSprite* parent, const std::string& imageName) : TActive(parent)
{
    SetImage(SlotImgAnimation, imageName);
}

void TPrincipal::Setup(double x, double y)
{
    X = x;
    Y = y;
    FrameCount = 6;
    FrameLoop = true;
    FrameSpeed = 1.0;
    FramePos = 0;
}

TWebbitToy::TWebbitToy(TSprite* parent, const std::string& imageName) : TActive(parent)
{
    SetImage(SlotImgAnimation, imageName);
    if (imageName == "cube" || imageName == "cylinder")
        FrameCount = 6;
    else if (imageName == "tomoto")
        FrameCount = 9;
    FramePos = 0;
}

void TWebbitToy::TimerTick()
{
    FramePos = FramePos + 1;
    if (!(FramePos < FrameCount))
        FramePos = 0;
}

TGesture::TGesture(TSprite* parent) : TInactive(parent) { SetImage(SlotImgGesture, "idle"); }

void TGesture::ShowLevel(int level)
{
    SetImage(SlotImgGesture, "gesture");
    FramePos = (level - 1) / 2;
}

TLiningGesture::TLiningGesture(TSprite* parent) : TInactive(parent)
{
    SetImage(SlotImgFixed, "gesture");
    FrameCount = 3;
    FramePos = 0;
}

void TLiningGesture::ShowLevel(int level)
{
    if (level == 0) {
        SetImage(SlotImgFixed, "gray");
        FrameCount = 0;
    } else {
        SetImage(SlotImgFixed, "gesture");
        FrameCount = 3;
    }
    FramePos = 0;
    const int k = (level - 1) / 2;
    if (k >= 0 && k <= 2)
        SetColumn(static_cast<std::int8_t>(k));
}

void TLiningGesture::SetColumn(std::int8_t c)
{
    Column = c;
    FramePos = c;
}

TSunshadeLeft::TSunshadeLeft(TSprite* parent) : TInactive(parent)
{
    SetImage(SlotImgFixed, "sunshadeleft");
    SetPosition(1, 106);
}

TSunshadeRight::TSunshadeRight(TSprite* parent) : TInactive(parent)
{
    SetImage(SlotImgFixed, "sunshaderight");
    SetPosition(433, 87);
}

TSongName::TSongName(TSprite* parent) : TInactive(parent)
{
    SetImage(SlotImgContext, "songname");
    SetPosition(45, 7);
}

void TSongName::ShowTitle(const std::string& title)
{
    constexpr const char* kName = "songtitle";
    const QImage plate = TitlePlate(QString::fromStdString(title));
    TPictureCollection& items = ImageStore(SlotImgContext).Items();
    const TPictureCollectionItem& shipped = *items.ImageByName("songname");
    const int index = items.IndexOfName(kName);
    TPictureCollectionItem* item = index >= 0 ? items.Items(index) : items.Add();
    item->SetName(kName);
    item->Picture().SetDIB(TDIB::FromImage(plate, 24));
    item->PatternWidth = plate.width();
    item->PatternHeight = plate.height();
    item->Transparent = shipped.Transparent;
    item->SetTransparentColor(shipped.TransparentColor());
    item->RebuildPatterns();
    SetImage(SlotImgContext, kName);
}
