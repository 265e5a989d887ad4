#include "ArtFiles.h"

#include "sprites/DIB.h"
#include "sprites/ImageWriter.h"

#include <algorithm>
#include <stdexcept>

namespace art {

std::vector<TPicture> AllPictures()
{
    std::vector<TPicture> all;
    for (auto draw : {BallPictures, ContextPictures, EffectPictures, FixedPictures, GesturePictures,
                      AnimationPictures}) {
        for (TPicture& picture : draw())
            all.push_back(std::move(picture));
    }
    for (const TCatalogueEntry& entry : Catalogue) {
        const auto count = std::count_if(all.begin(), all.end(), [&](const TPicture& p) {
            return p.Store == entry.Store && p.Name == entry.Name;
        });
        if (count != 1)
            throw std::runtime_error("image " + std::string(entry.Name) + " drawn " + std::to_string(count) +
                                     " times");
    }
    for (const TPicture& picture : all) {
        const auto entry = std::find_if(Catalogue.begin(), Catalogue.end(), [&](const TCatalogueEntry& e) {
            return e.Store == picture.Store && e.Name == picture.Name;
        });
        if (entry == Catalogue.end())
            throw std::runtime_error("image " + picture.Name + " is not one the game uses");
        if (int(picture.Patterns.size()) != entry->Patterns)
            throw std::runtime_error("image " + picture.Name + " has " + std::to_string(picture.Patterns.size()) +
                                     " patterns, the game uses " + std::to_string(entry->Patterns));
        for (const QImage& pattern : picture.Patterns)
            if (pattern.size() != picture.Patterns.front().size())
                throw std::runtime_error("image " + picture.Name + " has patterns of different sizes");
    }
    return all;
}

std::vector<std::uint8_t> StoreFile(const std::vector<TPicture>& pictures, TStore store)
{
    std::vector<TImageWriterItem> items;
    for (const TPicture& picture : pictures) {
        if (picture.Store != store)
            continue;
        const QSize size = picture.Patterns.front().size();
        QImage strip(size.width() * int(picture.Patterns.size()), size.height(), QImage::Format_RGB32);
        strip.fill(Qt::black);
        QPainter p(&strip);
        for (size_t i = 0; i < picture.Patterns.size(); ++i)
            p.drawImage(int(i) * size.width(), 0, picture.Patterns[i]);
        p.end();
        TImageWriterItem item;
        item.Name = picture.Name;
        item.PatternWidth = size.width();
        item.PatternHeight = size.height();
        item.PictureRecord = TImageWriter::PictureRecord("TDIB", TDIB::FromImage(strip, 24).SaveToBytes());
        items.push_back(std::move(item));
    }
    return TImageWriter::Write(items, std::array<std::uint8_t, 1024>{});
}

} // namespace art
