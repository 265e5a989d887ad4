#include "DxgCommands.h"

#include "DxgManifest.h"
#include "sprites/PictureCollection.h"
#include "sprites/PictureCollectionLayout.h"

#include <QDir>
#include <QSaveFile>

namespace {

void Load(TPictureCollection& collection, const std::string& file)
{
    collection.LoadFile(QString::fromStdString(file));
}

// Item names come from the file; keep them from naming a path outside the folder.
QString SafeFileName(int index, const std::string& name)
{
    QString safe = QString::fromStdString(name);
    safe.replace(QLatin1Char('/'), QLatin1Char('_'));
    safe.replace(QLatin1Char('\0'), QLatin1Char('_'));
    return QString::number(index) + QLatin1Char('-') + safe + QStringLiteral(".png");
}

} // namespace

void TDxgCommands::List(const std::string& file, std::ostream& out)
{
    TPictureCollection collection;
    Load(collection, file);
    for (int i = 0; i < collection.Count(); ++i) {
        const TPictureCollectionItem& item = *collection.Items(i);
        const TItemPicture& picture = item.Picture();
        const int64_t patterns =
            TPatternLayout::Count(picture.Width(), picture.Height(), item.EffectiveWidth(), item.EffectiveHeight(),
                                  item.SkipWidth, item.SkipHeight, item.SystemMemory);
        out << Format("%d %s %dx%dx%d pattern %dx%d skip %dx%d patterns %lld transparent %d color %08x\n", i,
                      item.Name().c_str(), picture.Width(), picture.Height(), picture.BitCount(), item.PatternWidth,
                      item.PatternHeight, item.SkipWidth, item.SkipHeight, static_cast<long long>(patterns),
                      item.Transparent ? 1 : 0, item.TransparentColor());
    }
}

void TDxgCommands::Extract(const std::string& file, const std::string& dir)
{
    TPictureCollection collection;
    Load(collection, file);
    const QDir target(QString::fromStdString(dir));
    if (!target.mkpath(QStringLiteral(".")))
        throw Exception(Format("Cannot create folder %s", dir.c_str()));
    for (int i = 0; i < collection.Count(); ++i) {
        const TPictureCollectionItem& item = *collection.Items(i);
        if (item.Picture().Empty())
            continue;
        const QImage image = item.Picture().ToImage().convertToFormat(QImage::Format_RGB888);
        const QString path = target.filePath(SafeFileName(i, item.Name()));
        QSaveFile out(path);
        if (!out.open(QIODevice::WriteOnly) || !image.save(&out, "PNG") || !out.commit())
            throw Exception(Format("Cannot create file %s", path.toLocal8Bit().constData()));
    }
}

void TDxgCommands::Pack(const std::string& manifest, const std::string& out)
{
    const auto items = TDxgManifest::Load(manifest);
    const auto bytes = TImageWriter::Write(items, std::array<uint8_t, 1024>{});
    // Only a file the game can load is written.
    TPictureCollection check;
    check.LoadFromBytes(bytes);
    QSaveFile file(QString::fromStdString(out));
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size())) != qint64(bytes.size()) ||
        !file.commit())
        throw Exception(Format("Cannot create file %s", out.c_str()));
}
