#include "DiPara.h"

#include <forms/DiAdv.h>
#include <functional>
#include <ui/Buttons.h>
#include <ui/Graphics.h>
#include <ui/RichEdit.h>
#include <ui/Spin.h>
#include <ui/StdCtrls.h>

namespace {

constexpr int GlyphSize = 16;

// Gives Button a glyph of black strokes on the button's face: Draw fills their rectangles.
void DrawGlyph(TSpeedButton* Button, const std::function<void(TCanvas*)>& Draw) {
    TBitmap glyph;
    glyph.SetSize(GlyphSize, GlyphSize);
    TCanvas* canvas = glyph.Canvas();
    canvas->Brush()->SetColor(clBtnFace);
    canvas->FillRect(QRect(0, 0, GlyphSize, GlyphSize));
    canvas->Brush()->SetColor(clBlack);
    Draw(canvas);
    Button->SetGlyph(&glyph);
}

// Lines of text: four strokes, the second and fourth shorter, placed as Align says.
void DrawLines(TSpeedButton* Button, TAlignment Align) {
    DrawGlyph(Button, [Align](TCanvas* Canvas) {
        for (int line = 0; line < 4; ++line) {
            const int width = line % 2 ? 8 : 14;
            const int left = Align == taLeftJustify ? 1
                             : Align == taCenter    ? (GlyphSize - width) / 2
                                                    : GlyphSize - 1 - width;
            Canvas->FillRect(QRect(left, 2 + line * 4, width, 2));
        }
    });
}

// Bullets before short lines.
void DrawBullets(TSpeedButton* Button) {
    DrawGlyph(Button, [](TCanvas* Canvas) {
        for (int line = 0; line < 3; ++line) {
            Canvas->FillRect(QRect(1, 2 + line * 5, 3, 3));
            Canvas->FillRect(QRect(6, 3 + line * 5, 9, 2));
        }
    });
}

} // namespace

TDialParagraph::TDialParagraph(TComponent* AOwner) : TForm(AOwner) {
    Q_INIT_RESOURCE(Rich);
    InitForm();
    LabelFirst = FormComponent<TLabel>(this, "LabelFirst");
    LabelLeft = FormComponent<TLabel>(this, "LabelLeft");
    LabelRight = FormComponent<TLabel>(this, "LabelRight");
    SpinEditFirst = FormComponent<TSpinEdit>(this, "SpinEditFirst");
    SpinEditLeft = FormComponent<TSpinEdit>(this, "SpinEditLeft");
    SpinEditRight = FormComponent<TSpinEdit>(this, "SpinEditRight");
    SpeedButtonLeft = FormComponent<TSpeedButton>(this, "SpeedButtonLeft");
    SpeedButtonCenter = FormComponent<TSpeedButton>(this, "SpeedButtonCenter");
    SpeedButtonRight = FormComponent<TSpeedButton>(this, "SpeedButtonRight");
    SpeedButtonBullet = FormComponent<TSpeedButton>(this, "SpeedButtonBullet");
    ButtonOk = FormComponent<TButton>(this, "ButtonOk");
    ButtonCancel = FormComponent<TButton>(this, "ButtonCancel");
    SetCaption(QStringLiteral("Paragraph"));
    LabelFirst->SetCaption(QStringLiteral("First line"));
    LabelLeft->SetCaption(QStringLiteral("Left indent"));
    LabelRight->SetCaption(QStringLiteral("Right indent"));
    SpeedButtonLeft->SetHint(QStringLiteral("Left"));
    SpeedButtonCenter->SetHint(QStringLiteral("Center"));
    SpeedButtonRight->SetHint(QStringLiteral("Right"));
    SpeedButtonBullet->SetHint(QStringLiteral("Bullet"));
    ButtonOk->SetCaption(QStringLiteral("OK"));
    ButtonCancel->SetCaption(QStringLiteral("Cancel"));
    DrawGlyphs();
}

void TDialParagraph::DrawGlyphs() {
    DrawLines(SpeedButtonLeft, taLeftJustify);
    DrawLines(SpeedButtonCenter, taCenter);
    DrawLines(SpeedButtonRight, taRightJustify);
    DrawBullets(SpeedButtonBullet);
}

bool TDialParagraph::Execute(const TParaAttributes* Paragraph) {
    SpinEditFirst->SetValue(Paragraph->FirstIndent());
    SpinEditLeft->SetValue(Paragraph->LeftIndent());
    SpinEditRight->SetValue(Paragraph->RightIndent());
    switch (Paragraph->Alignment()) {
    case taLeftJustify:
        SpeedButtonLeft->SetDown(true);
        break;
    case taRightJustify:
        SpeedButtonRight->SetDown(true);
        break;
    case taCenter:
        SpeedButtonCenter->SetDown(true);
        break;
    }
    SpeedButtonBullet->SetDown(Paragraph->Numbering() == nsBullet);
    return ShowModal() == mrOk;
}

void TDialParagraph::Apply(TParaAttributes* Paragraph) const {
    Paragraph->SetFirstIndent(SpinEditFirst->Value());
    Paragraph->SetLeftIndent(SpinEditLeft->Value());
    Paragraph->SetRightIndent(SpinEditRight->Value());
    Paragraph->SetAlignment(SpeedButtonLeft->Down()    ? taLeftJustify
                            : SpeedButtonRight->Down() ? taRightJustify
                                                       : taCenter);
    Paragraph->SetNumbering(SpeedButtonBullet->Down() ? nsBullet : nsNone);
}
