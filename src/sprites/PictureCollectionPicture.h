#pragma once

#include "sprites/DIB.h"

#include <QImage>

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

// The picture of an image item: empty, a device-independent bitmap (from a "TDIB" record or
// the bitmap file of a "TBitmap" record), or an image Qt decoded (an icon).
class TItemPicture {
public:
    void Clear();
    bool Empty() const;
    int Width() const;
    int Height() const;
    int BitCount() const;
    // The graphic class the picture was read as ("TDIB", "TBitmap", "TIcon"); empty when empty.
    const std::string& GraphicClass() const { return FClass; }
    const TDIB* DIB() const { return FDIB ? &*FDIB : nullptr; }

    // The whole picture, top row first, Format_RGB32; a null image when empty.
    QImage ToImage() const;

    // Reads a picture record: one length byte, the graphic class name, then its data.
    void LoadFromRecord(std::span<const uint8_t> record);
    // The record that LoadFromRecord reads back to the same picture.
    std::vector<uint8_t> SaveToRecord() const;

    void SetDIB(TDIB dib, const std::string& graphicClass = "TDIB");

private:
    std::string FClass;
    std::optional<TDIB> FDIB;
    QImage FImage;
    std::vector<uint8_t> FIconData;
};
