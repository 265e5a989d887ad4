#pragma once

#include <cstdint>
#include <span>
#include <string>

class TPictureCollection;
class TPictureCollectionItem;
class TByteReader;

// Reads a picture-collection file (resource header, then a "TPF0" component stream) into
// its List, appending the images in file order. What was read before a fault stays.
class TPictureCollectionComponent {
public:
    explicit TPictureCollectionComponent(TPictureCollection* list) : List(list) {}
    void ReadFromBytes(std::span<const uint8_t> data);

    TPictureCollection* List;

private:
    void ReadProperty(TByteReader& r, const std::string& objectName);
    void ReadItemProperty(TByteReader& r, TPictureCollectionItem& item);
    void ReadCollection(TByteReader& r);
};
