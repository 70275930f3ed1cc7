#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <rtl/Streaming.h>
#include <ui/ExtCtrls.h>
#include <ui/Forms.h>
#include <ui/UiClasses.h>

namespace {

// A white bitmap of the given size.
std::unique_ptr<TBitmap> WhiteBitmap(int Width, int Height) {
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetSize(Width, Height);
    return bitmap;
}

// The number of pixels of Bitmap that differ from Color.
int PixelsOtherThan(TBitmap& Bitmap, TColor Color, const QRect& Area) {
    int count = 0;
    for (int y = Area.top(); y <= Area.bottom(); ++y)
        for (int x = Area.left(); x <= Area.right(); ++x)
            count += Bitmap.Canvas()->Pixels(x, y) != Color;
    return count;
}

TEST(Canvas, FiguresCoverTheirRectanglesExactly) {
    auto bitmap = WhiteBitmap(40, 30);
    TCanvas* canvas = bitmap->Canvas();
    canvas->Pen()->SetColor(clRed);
    canvas->Brush()->SetColor(clBlue);
    canvas->Rectangle(5, 5, 15, 15);
    EXPECT_EQ(canvas->Pixels(5, 5), clRed);
    EXPECT_EQ(canvas->Pixels(14, 14), clRed);
    EXPECT_EQ(canvas->Pixels(10, 10), clBlue);
    EXPECT_EQ(canvas->Pixels(15, 15), clWhite) << "the right and bottom edges are outside";
    EXPECT_EQ(canvas->Pixels(4, 4), clWhite);

    canvas->Pen()->SetStyle(psClear);
    canvas->Brush()->SetColor(clLime);
    canvas->Rectangle(QRect(20, 5, 5, 5));
    EXPECT_EQ(canvas->Pixels(20, 5), clLime) << "without a pen the brush fills the edges";
    EXPECT_EQ(canvas->Pixels(24, 9), clLime);
    EXPECT_EQ(canvas->Pixels(25, 10), clWhite);

    canvas->Brush()->SetColor(clGreen);
    canvas->FillRect(QRect(30, 0, 4, 4));
    EXPECT_EQ(PixelsOtherThan(*bitmap, clGreen, QRect(30, 0, 4, 4)), 0);
    EXPECT_EQ(canvas->Pixels(34, 0), clWhite);

    canvas->Brush()->SetColor(clNavy);
    canvas->FrameRect(QRect(0, 20, 10, 10));
    EXPECT_EQ(canvas->Pixels(0, 20), clNavy);
    EXPECT_EQ(canvas->Pixels(9, 29), clNavy);
    EXPECT_EQ(canvas->Pixels(5, 25), clWhite) << "a frame leaves the inside";

    canvas->Pen()->SetStyle(psSolid);
    canvas->Pen()->SetColor(clBlack);
    canvas->Brush()->SetColor(clYellow);
    canvas->Ellipse(12, 18, 32, 30);
    EXPECT_EQ(canvas->Pixels(22, 24), clYellow);
    EXPECT_EQ(canvas->Pixels(12, 18), clWhite) << "the corners are outside the ellipse";
}

TEST(Canvas, LinesRunFromThePenPositionWithoutTheEndPoint) {
    auto bitmap = WhiteBitmap(20, 20);
    TCanvas* canvas = bitmap->Canvas();
    canvas->MoveTo(2, 5);
    canvas->LineTo(12, 5);
    EXPECT_EQ(canvas->PenPos(), QPoint(12, 5));
    EXPECT_EQ(PixelsOtherThan(*bitmap, clBlack, QRect(2, 5, 10, 1)), 0);
    EXPECT_EQ(canvas->Pixels(12, 5), clWhite);
    EXPECT_EQ(canvas->Pixels(1, 5), clWhite);
    canvas->LineTo(12, 15);
    EXPECT_EQ(canvas->Pixels(12, 10), clBlack) << "the next line starts at the pen position";

    canvas->Pen()->SetColor(clRed);
    canvas->Polyline({QPoint(0, 18), QPoint(5, 18), QPoint(5, 12)});
    EXPECT_EQ(canvas->Pixels(3, 18), clRed);
    EXPECT_EQ(canvas->Pixels(5, 14), clRed);
    EXPECT_EQ(canvas->PenPos(), QPoint(12, 15)) << "a polyline leaves the pen position";

    canvas->SetPixels(19, 0, clFuchsia);
    EXPECT_EQ(canvas->Pixels(19, 0), clFuchsia);
    EXPECT_EQ(canvas->Pixels(20, 0), clNone) << "outside the bitmap";
}

TEST(Canvas, PenModesCombineWithWhatIsThere) {
    auto bitmap = WhiteBitmap(10, 10);
    TCanvas* canvas = bitmap->Canvas();
    canvas->Pen()->SetMode(pmNot);
    canvas->MoveTo(0, 0);
    canvas->LineTo(10, 0);
    EXPECT_EQ(canvas->Pixels(3, 0), clBlack) << "white inverted";
    canvas->Pen()->SetMode(pmXor);
    canvas->Pen()->SetColor(RGB(0, 0xFF, 0));
    canvas->MoveTo(0, 1);
    canvas->LineTo(10, 1);
    EXPECT_EQ(canvas->Pixels(3, 1), RGB(0xFF, 0, 0xFF));
    canvas->MoveTo(0, 1);
    canvas->LineTo(10, 1);
    EXPECT_EQ(canvas->Pixels(3, 1), clWhite) << "a second xor restores";

    canvas->Pen()->SetMode(pmCopy);
    canvas->Brush()->SetColor(clGreen);
    canvas->FillRect(QRect(0, 2, 10, 8));
    const QRect focus(1, 3, 8, 6);
    canvas->DrawFocusRect(focus);
    const int changed = PixelsOtherThan(*bitmap, clGreen, focus);
    EXPECT_GT(changed, 0);
    EXPECT_LT(changed, focus.width() * focus.height() / 2) << "a dotted outline";
    canvas->DrawFocusRect(focus);
    EXPECT_EQ(PixelsOtherThan(*bitmap, clGreen, focus), 0) << "drawn twice it is gone";
}

TEST(Canvas, TextIsDrawnOnTheBrushAndClippedToItsRectangle) {
    auto bitmap = WhiteBitmap(120, 40);
    TCanvas* canvas = bitmap->Canvas();
    canvas->Font()->SetName(QStringLiteral("Arial"));
    canvas->Font()->SetSize(12);
    canvas->Brush()->SetColor(clYellow);
    const QSize extent = canvas->TextExtent(QStringLiteral("HH"));
    canvas->TextOut(2, 3, QStringLiteral("HH"));
    EXPECT_EQ(canvas->PenPos(), QPoint(2 + extent.width(), 3));
    EXPECT_EQ(canvas->Pixels(2, 3), clYellow) << "the text's cell is filled";
    EXPECT_EQ(canvas->Pixels(1 + extent.width(), 2 + extent.height()), clYellow);
    EXPECT_EQ(canvas->Pixels(2 + extent.width(), 3), clWhite);
    EXPECT_GT(PixelsOtherThan(*bitmap, clYellow, QRect(QPoint(2, 3), extent)), 0);

    canvas->Brush()->SetStyle(bsClear);
    canvas->Font()->SetColor(clRed);
    const int before = PixelsOtherThan(*bitmap, clWhite, QRect(0, 20, 120, 20));
    EXPECT_EQ(before, 0);
    canvas->TextRect(QRect(0, 20, 20, 20), 0, 20, QStringLiteral("WWWWWWWW"));
    EXPECT_GT(PixelsOtherThan(*bitmap, clWhite, QRect(0, 20, 20, 20)), 0);
    EXPECT_EQ(PixelsOtherThan(*bitmap, clWhite, QRect(20, 20, 100, 20)), 0)
        << "nothing is drawn outside the rectangle";

    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(clAqua);
    canvas->TextRect(QRect(60, 20, 30, 10), 200, 200, QString());
    EXPECT_EQ(PixelsOtherThan(*bitmap, clAqua, QRect(60, 20, 30, 10)), 0)
        << "the rectangle is filled with the brush";
}

// Texts drawn with a painter of their own, each shaped afresh: what the canvas must give.
QImage DrawnAfresh(const QSize& Size, const QList<std::tuple<QFont, QPoint, QString>>& Texts) {
    QImage image(Size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(Qt::black);
    for (const auto& [font, at, text] : Texts) {
        painter.setFont(font);
        painter.drawText(at.x(), at.y() + painter.fontMetrics().ascent(), text);
    }
    return image;
}

TEST(Canvas, TextsDrawnAgainLookAndMeasureAsTextsShapedAfresh) {
    const QStringList texts{QStringLiteral("Grid 1,234.50"), QStringLiteral("Zürich – ½ café"),
                            QStringLiteral("tab\tand\nbreak"), QStringLiteral("Wide")};
    for (const TFontStyles style : {TFontStyles{}, TFontStyles{fsBold}, TFontStyles{fsItalic},
                                    TFontStyles{fsItalic, fsUnderline, fsStrikeOut}}) {
        auto bitmap = WhiteBitmap(240, 30 * int(texts.size()));
        TCanvas* canvas = bitmap->Canvas();
        canvas->Brush()->SetColor(clWhite);
        canvas->Font()->SetName(QStringLiteral("Arial"));
        canvas->Font()->SetSize(10);
        canvas->Font()->SetStyle(style);
        const QFont font = canvas->Font()->ToQFont();
        QList<std::tuple<QFont, QPoint, QString>> expected;
        for (int round = 0; round < 3; ++round) // the first shapes, the others draw kept texts
            for (int i = 0; i < texts.size(); ++i) {
                const QRect cell(0, 30 * i, 240, 30);
                canvas->TextRect(cell, 3 + i, cell.top() + 2, texts[i]);
                if (round == 0)
                    expected.append({font, QPoint(3 + i, cell.top() + 2), texts[i]});
                if (round == 1)
                    bitmap->Image(); // closes the painter: the next round opens it again
            }
        const QImage reference = DrawnAfresh(bitmap->Image().size(), expected);
        EXPECT_TRUE(bitmap->Image() == reference) << "style " << style.Bits();
        const QFontMetrics metrics(font, &reference);
        for (const QString& text : texts)
            for (int round = 0; round < 2; ++round)
                EXPECT_EQ(canvas->TextWidth(text), metrics.horizontalAdvance(text))
                    << qPrintable(text);
    }
}

TEST(Canvas, ATextDrawnInTwoFontsKeepsEachFontsShape) {
    auto bitmap = WhiteBitmap(200, 40);
    TCanvas* canvas = bitmap->Canvas();
    canvas->Brush()->SetColor(clWhite);
    canvas->Font()->SetSize(12);
    const QString text = QStringLiteral("Wide words");
    const QFont plain = canvas->Font()->ToQFont();
    const int plainWidth = canvas->TextWidth(text);
    canvas->TextRect(QRect(0, 0, 200, 20), 2, 1, text);
    canvas->Font()->SetStyle({fsBold});
    const QFont bold = canvas->Font()->ToQFont();
    canvas->TextRect(QRect(0, 20, 200, 20), 2, 21, text);
    EXPECT_GT(canvas->TextWidth(text), plainWidth);
    canvas->Font()->SetStyle({});
    EXPECT_EQ(canvas->TextWidth(text), plainWidth);
    EXPECT_TRUE(bitmap->Image() == DrawnAfresh(QSize(200, 40), {{plain, QPoint(2, 1), text},
                                                                {bold, QPoint(2, 21), text}}));
}

TEST(Canvas, TextMetricsAgreeWithTextExtents) {
    auto bitmap = WhiteBitmap(10, 10);
    TCanvas* canvas = bitmap->Canvas();
    canvas->Font()->SetName(QStringLiteral("Arial"));
    canvas->Font()->SetSize(10);
    const TTextMetric metric = GetTextMetrics(canvas);
    EXPECT_EQ(metric.tmHeight, metric.tmAscent + metric.tmDescent);
    EXPECT_EQ(metric.tmHeight, canvas->TextHeight(QStringLiteral("Ag")));
    EXPECT_EQ(metric.tmInternalLeading, metric.tmHeight - 13) << "10 points are 13 pixels";
    EXPECT_GT(metric.tmAveCharWidth, 0);
    EXPECT_GE(metric.tmMaxCharWidth, metric.tmAveCharWidth);
    EXPECT_GE(metric.tmExternalLeading, 0);
    EXPECT_EQ(canvas->TextWidth(QString()), 0);
    EXPECT_GT(canvas->TextWidth(QStringLiteral("WW")), canvas->TextWidth(QStringLiteral("W")));

    canvas->Font()->SetStyle({fsItalic});
    EXPECT_GT(GetTextMetrics(canvas).tmOverhang, 0) << "italic glyphs lean past their advance";

    canvas->Font()->SetStyle({});
    canvas->SetPixelsPerInch(4 * TFont::PixelsPerInch);
    const TTextMetric large = GetTextMetrics(canvas);
    EXPECT_NEAR(large.tmHeight, 4 * metric.tmHeight, 4) << "points keep their size in print";
}

TEST(Canvas, GraphicsAreDrawnAtTheirSizeOrStretched) {
    auto red = WhiteBitmap(2, 2);
    red->Canvas()->Brush()->SetColor(clRed);
    red->Canvas()->FillRect(QRect(0, 0, 2, 2));
    auto bitmap = WhiteBitmap(20, 20);
    TCanvas* canvas = bitmap->Canvas();
    canvas->Draw(5, 5, red.get());
    EXPECT_EQ(PixelsOtherThan(*bitmap, clRed, QRect(5, 5, 2, 2)), 0);
    EXPECT_EQ(canvas->Pixels(7, 7), clWhite);
    canvas->StretchDraw(QRect(10, 10, 10, 10), red.get());
    EXPECT_EQ(PixelsOtherThan(*bitmap, clRed, QRect(10, 10, 10, 10)), 0);

    // The bottom-left pixel's colour is the transparent one.
    auto keyed = WhiteBitmap(2, 1);
    keyed->Canvas()->SetPixels(1, 0, clBlue);
    keyed->SetTransparent(true);
    canvas->Draw(5, 5, keyed.get());
    EXPECT_EQ(canvas->Pixels(5, 5), clRed);
    EXPECT_EQ(canvas->Pixels(6, 5), clBlue);

    TBitmap empty;
    canvas->Draw(0, 0, &empty);
    EXPECT_EQ(canvas->Pixels(0, 0), clWhite) << "an empty graphic draws nothing";
    EXPECT_THROW(empty.Canvas()->FillRect(QRect(0, 0, 1, 1)), EInvalidGraphicOperation);
}

TEST(Bitmap, ResizingKeepsThePictureAssignCopiesItDrawingChangesIt) {
    auto bitmap = WhiteBitmap(4, 4);
    bitmap->Canvas()->SetPixels(1, 1, clRed);
    bitmap->SetSize(8, 2);
    EXPECT_EQ(bitmap->Width(), 8);
    EXPECT_EQ(bitmap->Height(), 2);
    EXPECT_EQ(bitmap->Canvas()->Pixels(1, 1), clRed);
    EXPECT_EQ(bitmap->Canvas()->Pixels(7, 1), clWhite);
    EXPECT_THROW(bitmap->SetWidth(-1), EInvalidGraphic);

    TBitmap copy;
    copy.Assign(bitmap.get());
    bitmap->Canvas()->SetPixels(1, 1, clBlue);
    EXPECT_EQ(copy.Canvas()->Pixels(1, 1), clRed) << "a copy, not a shared picture";
    copy.Assign(nullptr);
    EXPECT_TRUE(copy.Empty());

    TPicture picture;
    picture.Bitmap()->SetSize(5, 5);
    int changes = 0;
    picture.SetOnChange([&](TObject*) { ++changes; });
    picture.Bitmap()->Canvas()->FillRect(QRect(0, 0, 5, 5));
    EXPECT_EQ(changes, 1) << "drawing on the picture changes it";
}

class Pictures : public ::testing::Test {
protected:
    QString Path(const QString& Name) const { return FDir.filePath(Name); }

    // A picture with a red left half and a blue right half.
    std::unique_ptr<TBitmap> Halves() const {
        auto bitmap = WhiteBitmap(16, 8);
        bitmap->Canvas()->Brush()->SetColor(clRed);
        bitmap->Canvas()->FillRect(QRect(0, 0, 8, 8));
        bitmap->Canvas()->Brush()->SetColor(clBlue);
        bitmap->Canvas()->FillRect(QRect(8, 0, 8, 8));
        return bitmap;
    }

private:
    QTemporaryDir FDir;
};

TEST_F(Pictures, BmpPngAndJpegFilesRoundTrip) {
    auto source = Halves();
    for (const char* name : {"halves.bmp", "halves.png", "halves.jpg", "halves"}) {
        SCOPED_TRACE(name);
        const QString path = Path(QString::fromLatin1(name));
        TPicture original;
        original.Bitmap()->Assign(source.get());
        original.SaveToFile(path);

        TPicture picture;
        int changes = 0;
        picture.SetOnChange([&](TObject*) { ++changes; });
        picture.LoadFromFile(path);
        EXPECT_GT(changes, 0);
        ASSERT_TRUE(picture.Graphic());
        EXPECT_EQ(picture.Width(), 16);
        EXPECT_EQ(picture.Height(), 8);
        const TColor left = picture.Bitmap()->Canvas()->Pixels(2, 4);
        const TColor right = picture.Bitmap()->Canvas()->Pixels(13, 4);
        EXPECT_GT(GetRValue(left), 200);
        EXPECT_LT(GetBValue(left), 60);
        EXPECT_GT(GetBValue(right), 200);
        EXPECT_LT(GetRValue(right), 60);
    }
    QFile bmp(Path(QStringLiteral("halves")));
    ASSERT_TRUE(bmp.open(QIODevice::ReadOnly));
    EXPECT_EQ(bmp.read(2), QByteArray("BM")) << "a file without suffix is written as BMP";
}

TEST_F(Pictures, UnreadableFilesRaiseAndLeaveThePicture) {
    TPicture picture;
    picture.Bitmap()->Assign(Halves().get());

    const QString damaged = Path(QStringLiteral("damaged.png"));
    QFile file(damaged);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("\x89PNG\r\n\x1a\n but then nothing that a picture would hold");
    file.close();
    try {
        picture.LoadFromFile(damaged);
        ADD_FAILURE() << "a damaged file loaded";
    } catch (const EInvalidGraphic& e) {
        EXPECT_TRUE(e.Message().contains(damaged)) << e.Message().toStdString();
    }
    EXPECT_THROW(picture.LoadFromFile(Path(QStringLiteral("missing.png"))), EInvalidGraphic);
    EXPECT_EQ(picture.Width(), 16) << "the picture is kept";

    EXPECT_THROW(picture.SaveToFile(Path(QStringLiteral("halves.unknown"))), EInvalidGraphic);
    TPicture empty;
    EXPECT_THROW(empty.SaveToFile(Path(QStringLiteral("empty.png"))), EInvalidGraphic);
}

TEST_F(Pictures, AnImageStoresItsPictureInTheFormFile) {
    RegisterUiClasses();
    TForm form;
    form.SetName(QStringLiteral("ImageForm"));
    auto* image = new TImage(&form);
    image->SetName(QStringLiteral("Image1"));
    image->SetParent(&form);
    image->Picture()->Bitmap()->Assign(Halves().get());
    const QString text = WriteComponentToText(&form);
    EXPECT_TRUE(text.contains(QStringLiteral("Picture.Data"))) << text.toStdString();

    std::unique_ptr<TComponent> read(ReadComponentFromText(text, QStringLiteral("image.form")));
    auto* copy = qobject_cast<TImage*>(read->FindComponent(QStringLiteral("Image1")));
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->Picture()->Width(), 16);
    EXPECT_EQ(copy->Picture()->Bitmap()->Canvas()->Pixels(13, 4), clBlue);
}

TEST(Image, PlacesItsPictureAsTold) {
    TForm form;
    auto* image = new TImage(&form);
    image->SetParent(&form);
    image->SetBounds(0, 0, 100, 50);
    image->Picture()->Bitmap()->SetSize(20, 10);
    EXPECT_EQ(image->DestRect(), QRect(0, 0, 20, 10));
    image->SetCenter(true);
    EXPECT_EQ(image->DestRect(), QRect(40, 20, 20, 10));
    image->SetStretch(true);
    EXPECT_EQ(image->DestRect(), QRect(0, 0, 100, 50));
    image->SetProportional(true);
    image->Picture()->Bitmap()->SetSize(20, 20);
    EXPECT_EQ(image->DestRect(), QRect(25, 0, 50, 50));
    image->SetStretch(false);
    image->Picture()->Bitmap()->SetSize(200, 20);
    EXPECT_EQ(image->DestRect(), QRect(0, 20, 100, 10)) << "too large: shrunk proportionally";

    image->SetAutoSize(true);
    EXPECT_EQ(image->BoundsRect(), QRect(0, 0, 200, 20));
    image->Picture()->Bitmap()->SetSize(30, 40);
    EXPECT_EQ(image->BoundsRect(), QRect(0, 0, 30, 40));
}

// A form that paints a red square through its canvas.
class TPaintedForm : public TForm {
public:
    TPaintedForm() {
        SetBounds(0, 0, 60, 40);
        SetOnPaint([this](TObject*) {
            Canvas()->Brush()->SetColor(clRed);
            Canvas()->FillRect(QRect(10, 10, 20, 20));
        });
    }
};

TEST(ControlCanvas, DrawsOnlyWhileTheControlPaints) {
    TPaintedForm form;
    form.Show();
    const QImage shot = form.Widget()->grab().toImage();
    EXPECT_EQ(QColor(shot.pixel(15, 15)), QColor(Qt::red));
    EXPECT_NE(QColor(shot.pixel(5, 5)), QColor(Qt::red));
    EXPECT_THROW(form.Canvas()->FillRect(QRect(0, 0, 5, 5)), EInvalidGraphicOperation);
    EXPECT_GT(form.Canvas()->TextHeight(QStringLiteral("A")), 0) << "measuring needs no painting";

    auto* image = new TImage(&form);
    image->SetParent(&form);
    image->SetBounds(40, 0, 20, 20);
    image->Picture()->Bitmap()->SetSize(20, 20);
    image->Picture()->Bitmap()->Canvas()->Brush()->SetColor(clBlue);
    image->Picture()->Bitmap()->Canvas()->FillRect(QRect(0, 0, 20, 20));
    const QImage withImage = form.Widget()->grab().toImage();
    EXPECT_EQ(QColor(withImage.pixel(50, 10)), QColor(Qt::blue));
}

} // namespace

TEST(GraphicFilter, OffersBitmapsFirstThenEveryReadableFormat) {
    EXPECT_EQ(GraphicExtension(), QStringLiteral("bmp"));
    const QStringList parts = GraphicFilter().split(QLatin1Char('|'));
    ASSERT_EQ(parts.size(), 6) << "three pairs of a description and patterns";
    EXPECT_EQ(parts[0], QStringLiteral("Bitmaps (*.bmp)"));
    EXPECT_EQ(parts[1], QStringLiteral("*.bmp"));
    QStringList pictures = parts[3].split(QLatin1Char(';'));
    for (const char* pattern : {"*.bmp", "*.png", "*.jpg"})
        EXPECT_TRUE(pictures.contains(QString::fromLatin1(pattern))) << pattern;
    EXPECT_EQ(pictures.removeDuplicates(), 0);
    EXPECT_EQ(parts[5], QStringLiteral("*"));
}
