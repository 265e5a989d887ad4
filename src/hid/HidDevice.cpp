#include "hid/HidDevice.h"

#include <QLocale>
#include <QString>

#include <algorithm>

void HidCheck(bool result)
{
    if (!result)
        throw EHidClientError("HidClient Error: a boolean function failed");
}

namespace {

// The string buffers of the class driver hold 257 wide characters; longer answers are cut.
constexpr size_t MaxStringUnits = 257;
constexpr size_t MaxLanguages = 257;

std::string FromWide(std::u16string text)
{
    if (text.size() > MaxStringUnits)
        text.resize(MaxStringUnits);
    // The driver's answers are zero-terminated; whatever follows the terminator is not text.
    const size_t end = text.find(u'\0');
    if (end != std::u16string::npos)
        text.resize(end);
    return QString::fromStdU16String(text).toStdString();
}

struct TLanguage {
    uint16_t Id;
    QLocale::Language Language;
    QLocale::Territory Territory;
};

// USB devices name their string languages by these identifiers; the ones seen in practice.
constexpr TLanguage KnownLanguages[] = {
    {0x0404, QLocale::Chinese, QLocale::Taiwan},
    {0x0407, QLocale::German, QLocale::Germany},
    {0x0409, QLocale::English, QLocale::UnitedStates},
    {0x040A, QLocale::Spanish, QLocale::Spain},
    {0x040C, QLocale::French, QLocale::France},
    {0x0410, QLocale::Italian, QLocale::Italy},
    {0x0411, QLocale::Japanese, QLocale::Japan},
    {0x0412, QLocale::Korean, QLocale::SouthKorea},
    {0x0413, QLocale::Dutch, QLocale::Netherlands},
    {0x0415, QLocale::Polish, QLocale::Poland},
    {0x0416, QLocale::Portuguese, QLocale::Brazil},
    {0x0419, QLocale::Russian, QLocale::Russia},
    {0x041D, QLocale::Swedish, QLocale::Sweden},
    {0x0804, QLocale::Chinese, QLocale::China},
    {0x0809, QLocale::English, QLocale::UnitedKingdom},
    {0x0C04, QLocale::Chinese, QLocale::HongKong},
};

}  // namespace

std::string TJvHidDevice::LanguageName(uint16_t languageId)
{
    for (const TLanguage& language : KnownLanguages) {
        if (language.Id == languageId)
            return (QLocale::languageToString(language.Language) + " (" +
                    QLocale::territoryToString(language.Territory) + ")")
                .toStdString();
    }
    return Format("unknown Locale ID $%.4x", languageId);
}

void THidDeviceOwner::DeviceDestroyed(TJvHidDevice*) {}

TJvHidDevice::TJvHidDevice(const std::string& devicePath, uint64_t deviceInstance,
                           const std::string& deviceDescription, const std::string& classDescription,
                           THidDeviceOwner* controller)
    : FController(controller), FDevicePath(devicePath)
{
    FBackend = controller ? controller->Backend() : HidBackend();
    if (controller)
        FOnUnplug = controller->OnDeviceUnplug();

    std::unique_ptr<THidHandle> handle = FBackend->Open(devicePath, THidAccess::ReadWrite);
    if (!handle)
        handle = FBackend->Open(devicePath, THidAccess::QueryOnly);
    if (!handle)
        return;  // listed all the same, with empty identity
    FDeviceInstance = deviceInstance;
    FDeviceDescription = deviceDescription;
    FClassDescription = classDescription;
    ReadIdentity(*handle);
}

void TJvHidDevice::ReadIdentity(THidHandle& handle)
{
    if (handle.GetAttributes(FAttributes))
        FAttributes.Size = 10;
    else
        FAttributes = THidAttributes{10};
    FConfiguration = {};
    handle.GetConfiguration(FConfiguration);
    if (!handle.GetCaps(FCaps))
        FCaps = {};

    const std::optional<std::vector<uint16_t>> languages = handle.GetLanguageIds();
    std::vector<uint16_t> languageIds;
    if (languages)
        languageIds.assign(languages->begin(), languages->begin() + std::min(languages->size(), MaxLanguages));
    for (uint16_t id : languageIds)
        FLanguageStrings.push_back(LanguageName(id));

    std::u16string text;
    if (handle.GetManufacturerString(text))
        FVendorName = FromWide(text);
    if (handle.GetProductString(text))
        FProductName = FromWide(text);
    if (handle.GetPhysicalDescriptor(text))
        FPhysicalDescriptor = FromWide(text);

    // Some drivers answer the serial-number query with the language list. That answer is
    // not a serial number; a back end that cannot list languages cannot confuse the two.
    if (handle.GetSerialNumberString(text)) {
        bool isSerial = !languages.has_value();
        for (size_t i = 0; i < languageIds.size() && !isSerial; ++i)
            isSerial = (i < text.size() ? text[i] : u'\0') != languageIds[i];
        if (isSerial)
            FSerialNumber = FromWide(text);
    }

    if (FCaps.NumberLinkCollectionNodes > 0 && handle.GetLinkCollectionNodes(FLinkCollectionNodes))
        FLinkCollectionNodes.resize(FCaps.NumberLinkCollectionNodes);
    else
        FLinkCollectionNodes.clear();
}

TJvHidDevice::~TJvHidDevice()
{
    FOnUnplug = nullptr;
    CloseFile();
    FLanguageStrings.clear();
    *FAlive = false;
    if (FController)
        FController->DeviceDestroyed(this);
}

bool TJvHidDevice::OpenFile()
{
    if (Accessible() && !FHandle) {
        FNumInputBuffers = 0;
        FHandle = FBackend->Open(FDevicePath, THidAccess::ReadWrite);
        FOpenError = FHandle ? 0 : FBackend->LastOpenError();
        if (FHandle && !FHandle->GetNumInputBuffers(FNumInputBuffers))
            FNumInputBuffers = 0;
    }
    return FHandle != nullptr;
}

void TJvHidDevice::CloseFile()
{
    FHandle.reset();
    FNumInputBuffers = 0;
}

bool TJvHidDevice::ReadReport(void* buffer, int bytesToRead, uint32_t& bytesRead, int timeoutMs)
{
    bytesRead = 0;
    if (!OpenFile() || bytesToRead < 0)
        return false;
    size_t got = 0;
    const bool ok = FHandle->ReadReport(static_cast<uint8_t*>(buffer), static_cast<size_t>(bytesToRead), got,
                                        timeoutMs);
    bytesRead = static_cast<uint32_t>(got);
    return ok;
}

bool TJvHidDevice::ReadFile(void* buffer, int bytesToRead, uint32_t& bytesRead)
{
    return ReadReport(buffer, bytesToRead, bytesRead, FReadTimeout) && bytesRead > 0;
}

bool TJvHidDevice::ReadQueuedReport(void* buffer, int bytesToRead, uint32_t& bytesRead)
{
    return ReadReport(buffer, bytesToRead, bytesRead, 0);
}

bool TJvHidDevice::WriteFile(const void* buffer, int bytesToWrite, uint32_t& bytesWritten)
{
    bytesWritten = 0;
    if (!OpenFile() || bytesToWrite < 0)
        return false;
    size_t written = 0;
    const bool ok =
        FHandle->WriteReport(static_cast<const uint8_t*>(buffer), static_cast<size_t>(bytesToWrite), written);
    bytesWritten = static_cast<uint32_t>(written);
    return ok;
}

bool TJvHidDevice::FlushQueue()
{
    return OpenFile() && FHandle->FlushQueue();
}

bool TJvHidDevice::GetFeature(void* buffer, int length)
{
    return OpenFile() && length >= 0 && FHandle->GetFeature(static_cast<uint8_t*>(buffer), length);
}

bool TJvHidDevice::SetFeature(const void* buffer, int length)
{
    return OpenFile() && length >= 0 && FHandle->SetFeature(static_cast<const uint8_t*>(buffer), length);
}

bool TJvHidDevice::DeviceIoControl(uint32_t controlCode, const void* inBuffer, uint32_t inSize, void* outBuffer,
                                   uint32_t outSize, uint32_t& bytesReturned)
{
    bytesReturned = 0;
    if (!OpenFile())
        return false;
    size_t returned = 0;
    const bool ok = FHandle->IoControl(controlCode, inBuffer, inSize, outBuffer, outSize, returned);
    bytesReturned = static_cast<uint32_t>(returned);
    return ok;
}

void TJvHidDevice::HandleUnplug()
{
    CloseFile();
    FPluggedIn = false;
    // Cleared before the call so that a handler which checks the device in (and so
    // destroys it) never finds it still set, and it is called at most once.
    TJvHidUnplugEvent handler = std::move(FOnUnplug);
    FOnUnplug = nullptr;
    if (handler)
        handler(this);
}
