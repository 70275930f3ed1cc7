// Properties by name: a property of one of the platform's component classes, picked by
// the first bytes, set from the rest through each of the typed routines, read back, and
// the component written and read again. Refused values raise the platform's exceptions.

#include "FuzzApplication.h"
#include "FuzzInput.h"
#include "WrittenForm.h"

#include <cstring>
#include <memory>
#include <rtl/ClassRegistry.h>
#include <rtl/Component.h>
#include <rtl/Exceptions.h>
#include <rtl/TypeInfo.h>

namespace {

const char* const ClassNames[] = {"TForm",          "TDataModule",    "TLabel",
                                  "TEdit",          "TButton",        "TCheckBox",
                                  "TGroupBox",      "TMemo",          "TPanel",
                                  "TPageControl",   "TTabSheet",      "TSpinButton",
                                  "TSpinEdit",      "TMenuItem",      "TPopupMenu",
                                  "TMainMenu",      "TComboBox",      "TMaskEdit",
                                  "TDBEdit",        "TDBText",        "TDBMemo",
                                  "TDBCheckBox",    "TDBComboBox",    "TDBNavigator",
                                  "TDBImage",       "TRichEdit",      "TDBRichEdit",
                                  "TBitBtn",        "TSpeedButton",   "TRadioButton",
                                  "TListBox",       "TRadioGroup",    "TBevel",
                                  "TScrollBox",     "TImage",         "TOpenDialog",
                                  "TFontDialog",    "TDBGrid",        "TDBLookupComboBox",
                                  "TTable",         "TQuery",         "TDataSource",
                                  "TDatabase",      "TStringField",   "TIntegerField",
                                  "TSmallintField", "TWordField",     "TLargeintField",
                                  "TFloatField",    "TCurrencyField", "TBooleanField",
                                  "TDateField",     "TTimeField",     "TDateTimeField",
                                  "TMemoField",     "TGraphicField"};

template <class T> T Take(const uint8_t*& Data, size_t& Size) {
    T value{};
    const size_t n = Size < sizeof(T) ? Size : sizeof(T);
    std::memcpy(&value, Data, n);
    Data += n;
    Size -= n;
    return value;
}

// Sets the property through the routine Kind picks, with a value from the bytes left.
void Set(QObject* Instance, const QString& Name, uint8_t Kind, const uint8_t* Data, size_t Size) {
    switch (Kind % 8) {
    case 0:
        SetPropValue(Instance, Name, FuzzText(Data, Size));
        break;
    case 1:
        SetPropValue(Instance, Name, Take<double>(Data, Size));
        break;
    case 2:
        SetPropValue(Instance, Name, Take<qint64>(Data, Size));
        break;
    case 3:
        SetEnumProp(Instance, Name, FuzzText(Data, Size));
        break;
    case 4:
        SetOrdProp(Instance, Name, Take<qint64>(Data, Size));
        break;
    case 5:
        SetFloatProp(Instance, Name, Take<double>(Data, Size));
        break;
    case 6:
        SetStrProp(Instance, Name, FuzzText(Data, Size));
        break;
    default:
        SetPropValue(Instance, Name, QVariantList{FuzzText(Data, Size), Take<int>(Data, Size)});
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    StartFuzzApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    constexpr size_t classCount = sizeof(ClassNames) / sizeof(ClassNames[0]);
    const auto classIndex = Take<uint8_t>(Data, Size);
    const auto propertyIndex = Take<uint8_t>(Data, Size);
    const auto kind = Take<uint8_t>(Data, Size);
    std::unique_ptr<TComponent> component(CreateComponent(
        GetClass(QString::fromLatin1(ClassNames[classIndex % classCount])), nullptr));
    component->SetName(QStringLiteral("Fuzzed"));
    const QList<TPropInfo> properties = GetPropInfos(component.get());
    // Beyond the published properties: a name of the input's own.
    const QString name = propertyIndex < properties.size()
                             ? properties[propertyIndex].Name()
                             : FuzzText(Data, std::min<size_t>(Size, propertyIndex % 16));
    try {
        Set(component.get(), name, kind, Data, Size);
        GetPropValue(component.get(), name);
    } catch (const Exception&) {
        return 0;
    }
    ReadBackWritten(component);
    return 0;
}
