#include "sprites/PictureCollectionPicture.h"

#include "platform/ByteWriter.h"

#include <QBuffer>
#include <QImageReader>

namespace {

QImage ReadIcon(std::span<const uint8_t> data)
{
    QByteArray bytes(reinterpret_cast<const char*>(data.data()), qsizetype(data.size()));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "ico");
    // Icons are tiny; refusing huge ones keeps bad data from allocating without bound.
    reader.setAllocationLimit(64);
    return reader.read();
}

} // namespace

void TItemPicture::Clear()
{
    FClass.clear();
    FDIB.reset();
    FImage = QImage();
    FIconData.clear();
}

bool TItemPicture::Empty() const
{
    if (FDIB)
        return FDIB->Empty();
    return FImage.isNull();
}

int TItemPicture::Width() const
{
    return Empty() ? 0 : FDIB ? FDIB->Width() : FImage.width();
}

int TItemPicture::Height() const
{
    return Empty() ? 0 : FDIB ? FDIB->Height() : FImage.height();
}

int TItemPicture::BitCount() const
{
    return Empty() ? 0 : FDIB ? FDIB->BitCount() : FImage.depth();
}

QImage TItemPicture::ToImage() const
{
    if (Empty())
        return QImage();
    if (FDIB)
        return FDIB->ToImage();
    return FImage.convertToFormat(QImage::Format_RGB32);
}

void TItemPicture::SetDIB(TDIB dib, const std::string& graphicClass)
{
    Clear();
    FClass = graphicClass;
    FDIB = std::move(dib);
}

void TItemPicture::LoadFromRecord(std::span<const uint8_t> record)
{
    Clear();
    TByteReader reader(record);
    const std::string graphicClass = reader.ShortString();
    if (graphicClass == "TDIB") {
        TDIB dib;
        dib.LoadFromStream(reader);
        SetDIB(std::move(dib), graphicClass);
    } else if (graphicClass == "TBitmap") {
        const uint32_t size = reader.U32();
        if (size == 0) {
            FClass = graphicClass;
            return;
        }
        auto file = reader.Take(size);
        TDIB dib;
        dib.LoadFromBitmapFile(file);
        SetDIB(std::move(dib), graphicClass);
    } else if (graphicClass == "TIcon") {
        auto data = reader.Rest();
        QImage image = ReadIcon(data);
        // Some writers put the icon's byte count first.
        if (image.isNull() && data.size() >= 4) {
            TByteReader sized(data);
            const uint32_t size = sized.U32();
            if (size <= sized.Left())
                image = ReadIcon(sized.Take(size));
        }
        if (image.isNull())
            throw EDIBError("Icon image is not valid");
        FClass = graphicClass;
        FImage = std::move(image);
        FIconData.assign(data.begin(), data.end());
    }
    // Metafiles and classes we do not know leave the picture empty; that is not an error.
}

std::vector<uint8_t> TItemPicture::SaveToRecord() const
{
    TByteWriter w;
    if (Empty() && FClass.empty())
        return {};
    w.ShortString(FClass);
    if (FClass == "TDIB") {
        if (FDIB)
            w.Append(FDIB->SaveToBytes());
    } else if (FClass == "TBitmap") {
        if (FDIB && !FDIB->Empty()) {
            const auto file = FDIB->SaveToBitmapFile();
            w.U32(uint32_t(file.size()));
            w.Append(file);
        } else {
            w.U32(0);
        }
    } else if (FClass == "TIcon") {
        w.Append(FIconData);
    }
    return std::move(w.Bytes());
}
