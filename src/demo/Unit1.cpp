#include "Unit1.h"

#include "DMod1.h"

#include <dataset/KroOther.h>
#include <dataset/KroTable.h>
#include <forms/DiAdv.h>
#include <rtl/Exceptions.h>
#include <ui/Buttons.h>
#include <ui/ExtCtrls.h>
#include <ui/Graphics.h>
#include <ui/Shell.h>
#include <ui/StdCtrls.h>

TForm1* Form1 = nullptr;

namespace {

// The program's logo: a small table with a magnifier beside the library's name.
void PaintLogo(TBitmap* Logo) {
    Logo->SetSize(200, 126);
    TCanvas* canvas = Logo->Canvas();
    canvas->Brush()->SetColor(clWhite);
    canvas->FillRect(QRect(0, 0, 200, 126));
    canvas->Pen()->SetColor(TColor(0x8C5B3B));
    canvas->Pen()->SetWidth(2);
    canvas->Brush()->SetColor(TColor(0xF9F6F4));
    canvas->Rectangle(12, 24, 84, 96);
    canvas->Brush()->SetColor(TColor(0x8C5B3B));
    canvas->Rectangle(12, 24, 84, 40);
    canvas->Pen()->SetColor(TColor(0xCFB29F));
    canvas->Pen()->SetWidth(1);
    for (int y : {56, 72})
        canvas->Polyline({QPoint(13, y), QPoint(83, y)});
    for (int x : {36, 60})
        canvas->Polyline({QPoint(x, 41), QPoint(x, 95)});
    canvas->Pen()->SetColor(TColor(0x2B82D9));
    canvas->Pen()->SetWidth(5);
    canvas->Brush()->SetStyle(bsClear);
    canvas->Ellipse(58, 66, 88, 96);
    canvas->Polyline({QPoint(85, 93), QPoint(98, 106)});
    canvas->Font()->SetName(QStringLiteral("Sans Serif"));
    canvas->Font()->SetSize(30);
    canvas->Font()->SetStyle({fsBold});
    canvas->Font()->SetColor(clNavy);
    canvas->TextOut(108, 28, QStringLiteral("Kro"));
    canvas->Font()->SetSize(8);
    canvas->Font()->SetStyle({});
    canvas->TextOut(108, 78, QStringLiteral("data-aware"));
    canvas->TextOut(108, 92, QStringLiteral("components"));
}

} // namespace

TForm1::TForm1(TComponent* AOwner) : TForm(AOwner) {
    Q_INIT_RESOURCE(DemoForms);
    InitForm();
    Image1 = FormComponent<TImage>(this, "Image1");
    SpeedButton1 = FormComponent<TSpeedButton>(this, "SpeedButton1");
    SpeedButton4 = FormComponent<TSpeedButton>(this, "SpeedButton4");
    SpeedButton5 = FormComponent<TSpeedButton>(this, "SpeedButton5");
    LabelMail = FormComponent<TLabel>(this, "LabelMail");
    LabelHomePage = FormComponent<TLabel>(this, "LabelHomePage");
    PaintLogo(Image1->Picture()->Bitmap());
}

void TForm1::FormCreate(TObject*) {
    OtherQueryClass = &TKroQuery::staticMetaObject;
}

void TForm1::SpeedButton1Click(TObject*) {
    DM1->TbPeople->OnEditData()(this, tsShow, nullptr);
}

void TForm1::SpeedButton4Click(TObject*) {
    DM1->TbCountry->OnEditData()(this, tsShow, nullptr);
}

void TForm1::SpeedButton5Click(TObject*) {
    DM1->TbLang->OnEditData()(this, tsShow, nullptr);
}

namespace {

// Opens Address; a desktop without a program for it is no error of the demo's.
void OpenIgnoringMissingProgram(const QString& Address) {
    try {
        ShellOpen(Address);
    } catch (const EInOutError&) {
    }
}

} // namespace

void TForm1::LabelMailClick(TObject*) {
    OpenIgnoringMissingProgram(QStringLiteral("mailto:") + LabelMail->Caption());
}

void TForm1::LabelHomePageClick(TObject*) {
    OpenIgnoringMissingProgram(LabelHomePage->Caption());
}
