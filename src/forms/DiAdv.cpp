#include "DiAdv.h"

#include <QFontMetrics>
#include <QImage>
#include <QPointer>
#include <rtl/ClassRegistry.h>
#include <rtl/Component.h>
#include <rtl/Font.h>
#include <rtl/Streaming.h>
#include <rtl/TypeInfo.h>
#include <ui/Application.h>
#include <ui/ExtCtrls.h>
#include <ui/Graphics.h>
#include <ui/StdCtrls.h>

TDlgErrorAdv::TDlgErrorAdv(TComponent* AOwner) : TForm(AOwner) {
    Q_INIT_RESOURCE(Forms);
    InitForm();
}

// Fired by InitForm, before the constructor could look the controls up.
namespace {

// The dialog's icon: a red disc with a white cross, on the dialog's colour.
void DrawStopSign(TPicture* Picture) {
    TBitmap* bitmap = Picture->Bitmap();
    bitmap->SetSize(32, 32);
    TCanvas* canvas = bitmap->Canvas();
    canvas->Brush()->SetColor(clBtnFace);
    canvas->FillRect(QRect(0, 0, 32, 32));
    canvas->Brush()->SetColor(clRed);
    canvas->Pen()->SetColor(clMaroon);
    canvas->Ellipse(1, 1, 31, 31);
    canvas->Pen()->SetColor(clWhite);
    canvas->Pen()->SetWidth(3);
    canvas->MoveTo(10, 10);
    canvas->LineTo(22, 22);
    canvas->MoveTo(22, 10);
    canvas->LineTo(10, 22);
}

} // namespace

void TDlgErrorAdv::FormCreate(TObject*) {
    ImageError = FormComponent<TImage>(this, "ImageError");
    DrawStopSign(ImageError->Picture());
    LabelError = FormComponent<TLabel>(this, "LabelError");
    MemoDetail = FormComponent<TMemo>(this, "MemoDetail");
    ButtonOk = FormComponent<TButton>(this, "ButtonOk");
    ButtonDetail = FormComponent<TButton>(this, "ButtonDetail");
    SetCaption(QStringLiteral("Error"));
    ButtonOk->SetCaption(QStringLiteral("OK"));
    ButtonDetail->SetCaption(QStringLiteral("Detail"));
    ShowDetail(false);
}

void TDlgErrorAdv::ButtonDetailClick(TObject*) {
    ShowDetail(!FDetailShown);
}

void TDlgErrorAdv::ShowDetail(bool Value) {
    FDetailShown = Value;
    MemoDetail->SetVisible(Value);
    // The window ends as far below the buttons, or below the memo, as the memo is from
    // its left edge.
    const int margin = MemoDetail->Left();
    SetClientHeight(Value ? MemoDetail->Top() + MemoDetail->Height() + margin
                          : MemoDetail->Top() + margin);
}

void TDlgErrorAdv::Execute(const QString& Message, const QString& Detail) {
    if (FDetailShown)
        ShowDetail(false);
    LabelError->SetCaption(Message);
    MemoDetail->SetText(Detail);
    ButtonDetail->SetEnabled(!Detail.isEmpty());
    ShowModal();
}

TDlgErrorAdv* DlgErrorAdv() {
    static QPointer<TDlgErrorAdv> dialog;
    if (!dialog)
        dialog = new TDlgErrorAdv(Application());
    return dialog;
}

QString PadString(const QString& S, int Width, TAlignment Alignment) {
    if (Width <= 0)
        return {};
    if (S.size() >= Width)
        return S.left(Width);
    const int gap = Width - int(S.size());
    int offset = 0;
    if (Alignment == taRightJustify)
        offset = gap;
    else if (Alignment == taCenter)
        offset = gap / 2;
    return QString(offset, QLatin1Char(' ')) + S + QString(gap - offset, QLatin1Char(' '));
}

QString GetStrPropByName(const QObject* Object, const QString& Name) {
    return PropIsType(Object, Name, tkString) ? GetStrProp(Object, Name) : QString();
}

bool SetStrPropByName(QObject* Object, const QString& Name, const QString& Value) {
    const TPropInfo info = GetPropInfo(Object, Name);
    if (!info || info.Kind() != tkString || !info.IsWritable())
        return false;
    SetStrProp(Object, Name, Value);
    return true;
}

void CopyEventHandlers(const QObject* Source, QObject* Dest) {
    for (const TPropInfo& info : GetPropInfos(Source)) {
        if (info.Kind() != tkMethod)
            continue;
        const TPropInfo target = GetPropInfo(Dest, info.Name());
        if (target && target.Type() == info.Type() && target.IsWritable())
            WriteProp(Dest, target, ReadProp(Source, info));
    }
}

QSize GetFontMetrics(const TFont* Font, const QString& Text) {
    const QImage canvas(1, 1, QImage::Format_RGB32);
    QFont font = Font->ToQFont();
    // Whole-pixel advances, as text laid out on a bitmap canvas has.
    font.setHintingPreference(QFont::PreferFullHinting);
    const QFontMetrics metrics(font, &canvas);
    const QString measured = Text.isEmpty() ? QStringLiteral("0") : Text;
    // The height of a line of text is the font's, whatever the characters ("W" included).
    return {metrics.horizontalAdvance(measured), metrics.height()};
}

TComponent* CloneComponent(TComponent* Component) {
    RegisterClass(Component->metaObject());
    TComponent* context = Component->Owner() ? Component->Owner() : Component;
    const QString text = WriteComponentToText(Component, context);
    return ReadComponentFromText(text, QStringLiteral("clone of %1").arg(Component->Name()),
                                 nullptr, nullptr, context);
}
