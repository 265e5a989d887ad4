#pragma once

#include "platform/Exception.h"
#include "platform/Geometry.h"
#include "sprites/PictureCollectionColors.h"
#include "sprites/PictureCollectionPicture.h"

#include <QIODevice>
#include <QString>

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

class TCustomDXImageList;
class TDXDraw;
class TDirectDrawSurface;
class TPictureCollection;

class EPictureCollectionError : public Exception {
public:
    using Exception::Exception;
};

struct TPictureCollectionItemPattern {
    TRect Rect;
    TDirectDrawSurface* Surface = nullptr;
};

// One named image cut into equal patterns.
class TPictureCollectionItem {
public:
    explicit TPictureCollectionItem(TPictureCollection* collection);
    ~TPictureCollectionItem();
    TPictureCollectionItem(const TPictureCollectionItem&) = delete;
    TPictureCollectionItem& operator=(const TPictureCollectionItem&) = delete;

    const std::string& Name() const { return FName; }
    void SetName(const std::string& value);
    int32_t PatternHeight = 0;
    int32_t PatternWidth = 0;
    TItemPicture& Picture() { return FPicture; }
    const TItemPicture& Picture() const { return FPicture; }
    int32_t SkipHeight = 0;
    int32_t SkipWidth = 0;
    bool SystemMemory = false;
    bool Transparent = true;
    uint32_t TransparentColor() const { return FTransparentColor; }
    void SetTransparentColor(uint32_t value);

    int EffectiveWidth() const;
    int EffectiveHeight() const;
    void DrawPattern(TDirectDrawSurface* surface, int x, int y, int index);
    void RebuildPatterns();

    // Copies the published properties and the picture (not the run-time surfaces).
    void Assign(const TPictureCollectionItem& source);

    bool Ready() const { return FReady; }
    int Index() const { return FIndex; }
    TPictureCollection* Collection() const { return FCollection; }
    const std::vector<TPictureCollectionItemPattern>& Patterns() const { return FPatterns; }
    int PatternCount() const { return int(FPatterns.size()); }
    const std::vector<std::unique_ptr<TDirectDrawSurface>>& PatternSurfaces() const { return FSurfaces; }

private:
    friend class TPictureCollection;
    void Initialize();
    void Finalize();
    void ReleaseSurfaces();
    void KeySurface(TDirectDrawSurface& surface) const;

    TPictureCollection* FCollection;
    std::string FName;
    TItemPicture FPicture;
    uint32_t FTransparentColor = 0;
    bool FReady = false;
    int FIndex = 0;
    TPictureCollectionItem* FNextInBucket = nullptr;
    std::vector<TPictureCollectionItemPattern> FPatterns;
    std::vector<std::unique_ptr<TDirectDrawSurface>> FSurfaces;
};

// The items of an image store in index order, found by name through a 256-bucket hash.
class TPictureCollection {
public:
    explicit TPictureCollection(TCustomDXImageList* owner = nullptr);
    ~TPictureCollection();
    TPictureCollection(const TPictureCollection&) = delete;
    TPictureCollection& operator=(const TPictureCollection&) = delete;

    int Count() const { return int(FItems.size()); }
    TPictureCollectionItem* Items(int index) const { return FItems.at(size_t(index)).get(); }
    TPictureCollectionItem* Add();
    void Delete(int index);
    void Clear();
    // Replaces the items with copies of source's.
    void Assign(const TPictureCollection& source);

    int IndexOfName(const std::string& name) const;
    TPictureCollectionItem* ImageByName(const std::string& name) const;

    void LoadFile(const QString& fileName);
    void LoadStream(QIODevice& stream);
    void LoadFromBytes(std::span<const uint8_t> data);
    void SaveToFile(const QString& fileName) const;
    std::vector<uint8_t> SaveToBytes() const;

    void Bind(TDXDraw* surfaceComponent);
    void Unbind();
    void RebuildPatterns();
    TDXDraw* DXDraw() const { return FDXDraw; }
    bool Initialized() const;
    TCustomDXImageList* Owner() const { return FOwner; }

    std::array<uint8_t, 1024> ColorTable{};

    static int HashOf(const std::string& name);

private:
    friend class TPictureCollectionItem;
    void Link(TPictureCollectionItem* item);
    void Unlink(TPictureCollectionItem* item);

    TCustomDXImageList* FOwner;
    TDXDraw* FDXDraw = nullptr;
    std::vector<std::unique_ptr<TPictureCollectionItem>> FItems;
    std::array<TPictureCollectionItem*, 256> FBuckets{};
};
