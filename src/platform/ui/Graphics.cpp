#include "Graphics.h"

#include "TextCache.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QPaintEngine>
#include <memory>
#include <rtl/Filer.h>

namespace {

Qt::PenStyle PenStyleToQt(TPenStyle Style) {
    switch (Style) {
    case psDash:
        return Qt::DashLine;
    case psDot:
        return Qt::DotLine;
    case psDashDot:
        return Qt::DashDotLine;
    case psDashDotDot:
        return Qt::DashDotDotLine;
    case psClear:
        return Qt::NoPen;
    case psSolid:
    case psInsideFrame:
        break;
    }
    return Qt::SolidLine;
}

Qt::BrushStyle BrushStyleToQt(TBrushStyle Style) {
    switch (Style) {
    case bsClear:
        return Qt::NoBrush;
    case bsHorizontal:
        return Qt::HorPattern;
    case bsVertical:
        return Qt::VerPattern;
    case bsFDiagonal:
        return Qt::FDiagPattern;
    case bsBDiagonal:
        return Qt::BDiagPattern;
    case bsCross:
        return Qt::CrossPattern;
    case bsDiagCross:
        return Qt::DiagCrossPattern;
    case bsSolid:
        break;
    }
    return Qt::SolidPattern;
}

QPainter::CompositionMode PenModeToQt(TPenMode Mode) {
    switch (Mode) {
    case pmBlack:
        return QPainter::RasterOp_ClearDestination;
    case pmWhite:
        return QPainter::RasterOp_SetDestination;
    case pmNop:
        return QPainter::CompositionMode_Destination;
    case pmNot:
        return QPainter::RasterOp_NotDestination;
    case pmNotCopy:
        return QPainter::RasterOp_NotSource;
    case pmMerge:
        return QPainter::RasterOp_SourceOrDestination;
    case pmMask:
        return QPainter::RasterOp_SourceAndDestination;
    case pmXor:
        return QPainter::RasterOp_SourceXorDestination;
    case pmNotXor:
        return QPainter::RasterOp_NotSourceXorDestination;
    case pmCopy:
        break;
    }
    return QPainter::CompositionMode_SourceOver;
}

bool HasRasterOps(const QPainter& Painter) {
    return Painter.paintEngine()->hasFeature(QPaintEngine::RasterOpModes);
}

// The same QRect as drawRect outlines it: QPainter draws one pixel beyond the right and
// bottom edges.
QRect OutlineOf(const QRect& Rect) {
    return Rect.adjusted(0, 0, -1, -1);
}

QImage WithKeyColorTransparent(const QImage& Image) {
    QImage result = Image.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = Image.pixel(0, Image.height() - 1) | 0xFF000000u;
    for (int y = 0; y < result.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x)
            if ((line[x] | 0xFF000000u) == key)
                line[x] = 0;
    }
    return result;
}

} // namespace

TPen::TPen(QObject* parent) : TGraphicsObject(parent) {}

void TPen::Assign(TPersistent* Source) {
    if (auto* pen = qobject_cast<TPen*>(Source)) {
        SetColor(pen->FColor);
        SetMode(pen->FMode);
        SetStyle(pen->FStyle);
        SetWidth(pen->FWidth);
    } else {
        TGraphicsObject::Assign(Source);
    }
}

QPen TPen::ToQPen() const {
    // Flat caps leave out a line's end point.
    return QPen(ColorToQColor(FColor), FWidth, PenStyleToQt(FStyle), Qt::FlatCap, Qt::MiterJoin);
}

TBrush::TBrush(QObject* parent) : TGraphicsObject(parent) {}

void TBrush::Assign(TPersistent* Source) {
    if (auto* brush = qobject_cast<TBrush*>(Source)) {
        SetColor(brush->FColor);
        SetStyle(brush->FStyle);
    } else {
        TGraphicsObject::Assign(Source);
    }
}

QBrush TBrush::ToQBrush() const {
    return QBrush(ColorToQColor(FColor), BrushStyleToQt(FStyle));
}

TCanvas::TCanvas(QPaintDevice* Device, QObject* parent)
    : TPersistent(parent), FDevice(Device), FFont(new TFont(this)), FPen(new TPen(this)),
      FBrush(new TBrush(this)) {}

TCanvas::~TCanvas() {
    ReleaseHandle();
}

void TCanvas::SetDevice(QPaintDevice* Value) {
    ReleaseHandle();
    FDevice = Value;
}

void TCanvas::CreateHandle() {
    if (!FDevice || FDevice->width() <= 0 || FDevice->height() <= 0 || !FPainter.begin(FDevice))
        throw EInvalidGraphicOperation(QStringLiteral("The canvas has nothing to draw on"));
}

void TCanvas::ReleaseHandle() {
    if (FPainter.isActive())
        FPainter.end();
}

QPainter& TCanvas::Handle() {
    if (!FPainter.isActive()) {
        CreateHandle();
        FPainterFontSet = false;
    }
    const QFont font = DeviceFont();
    if (!FPainterFontSet || font != FPainterFont) {
        FPainter.setFont(font);
        FPainterFont = font;
        FPainterFontSet = true;
    }
    FPainter.setPen(FPen->ToQPen());
    FPainter.setBrush(FBrush->ToQBrush());
    if (HasRasterOps(FPainter))
        FPainter.setCompositionMode(PenModeToQt(FPen->Mode()));
    FOnChange(this);
    return FPainter;
}

QFont TCanvas::DeviceFont() const {
    QFont font = FFont->ToQFont();
    if (FPixelsPerInch != TFont::PixelsPerInch && font.pixelSize() > 0)
        font.setPixelSize(qMax(1, MulDiv(font.pixelSize(), FPixelsPerInch, TFont::PixelsPerInch)));
    return font;
}

QFontMetrics TCanvas::Metrics() {
    return FDevice ? QFontMetrics(DeviceFont(), FDevice) : QFontMetrics(DeviceFont());
}

TTextCache& TCanvas::Texts() {
    if (!FTexts)
        FTexts = std::make_unique<TTextCache>();
    return *FTexts;
}

QImage* TCanvas::Image() const {
    return FDevice && FDevice->devType() == QInternal::Image ? static_cast<QImage*>(FDevice)
                                                             : nullptr;
}

void TCanvas::LineTo(int X, int Y) {
    Handle().drawLine(FPenPos, QPoint(X, Y));
    FPenPos = QPoint(X, Y);
}

void TCanvas::Polyline(const QList<QPoint>& Points) {
    Handle().drawPolyline(Points.constData(), int(Points.size()));
}

void TCanvas::Polygon(const QList<QPoint>& Points) {
    Handle().drawPolygon(Points.constData(), int(Points.size()));
}

void TCanvas::Rectangle(const QRect& Rect) {
    QPainter& painter = Handle();
    if (FPen->Style() == psClear)
        painter.fillRect(Rect, painter.brush());
    else
        painter.drawRect(OutlineOf(Rect));
}

void TCanvas::Ellipse(const QRect& Rect) {
    Handle().drawEllipse(OutlineOf(Rect));
}

void TCanvas::FillRect(const QRect& Rect) {
    QPainter& painter = Handle();
    painter.fillRect(Rect, painter.brush());
}

void TCanvas::FrameRect(const QRect& Rect) {
    QPainter& painter = Handle();
    if (FBrush->Style() == bsClear)
        return;
    painter.setPen(QPen(ColorToQColor(FBrush->Color()), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(OutlineOf(Rect));
}

void TCanvas::DrawFocusRect(const QRect& Rect) {
    QPainter& painter = Handle();
    const bool inverting = HasRasterOps(painter);
    if (inverting)
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter.setPen(QPen(inverting ? Qt::white : Qt::black, 1, Qt::DotLine, Qt::FlatCap));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(OutlineOf(Rect));
}

void TCanvas::TextOut(int X, int Y, const QString& Text) {
    QPainter& painter = Handle();
    const QFontMetrics metrics = painter.fontMetrics();
    const QRect box(X, Y, metrics.horizontalAdvance(Text), metrics.height());
    if (FBrush->Style() != bsClear)
        painter.fillRect(box, ColorToQColor(FBrush->Color()));
    painter.setPen(ColorToQColor(FFont->Color()));
    painter.drawText(X, Y + metrics.ascent(), Text);
    FPenPos = QPoint(box.x() + box.width(), Y);
}

void TCanvas::TextRect(const QRect& Rect, int X, int Y, const QString& Text) {
    QPainter& painter = Handle();
    painter.save();
    painter.setClipRect(Rect, Qt::IntersectClip);
    if (FBrush->Style() != bsClear)
        painter.fillRect(Rect, ColorToQColor(FBrush->Color()));
    painter.setPen(ColorToQColor(FFont->Color()));
    if (const TTextCache::TShapedText* shaped = Texts().Find(FPainterFont, Text))
        painter.drawStaticText(X, Y, shaped->Text);
    else
        painter.drawText(X, Y + painter.fontMetrics().ascent(), Text);
    painter.restore();
}

QSize TCanvas::TextExtent(const QString& Text) {
    const QFontMetrics metrics = Metrics();
    TTextCache::TShapedText* shaped = Texts().Find(DeviceFont(), Text);
    if (!shaped)
        return QSize(metrics.horizontalAdvance(Text), metrics.height());
    if (shaped->Width < 0)
        shaped->Width = metrics.horizontalAdvance(Text);
    return QSize(shaped->Width, metrics.height());
}

TTextMetric TCanvas::TextMetric() {
    const QFontMetrics metrics = Metrics();
    const QFont font = DeviceFont();
    TTextMetric result;
    result.tmAscent = metrics.ascent();
    result.tmDescent = metrics.descent();
    result.tmHeight = metrics.height();
    result.tmInternalLeading = qMax(0, result.tmHeight - font.pixelSize());
    result.tmExternalLeading = qMax(0, metrics.leading());
    result.tmAveCharWidth = metrics.averageCharWidth();
    result.tmMaxCharWidth = metrics.maxWidth();
    result.tmOverhang = qMax(0, -metrics.minRightBearing());
    return result;
}

TTextMetric GetTextMetrics(TCanvas* Canvas) {
    return Canvas->TextMetric();
}

void TCanvas::Draw(int X, int Y, TGraphic* Graphic) {
    if (Graphic && !Graphic->Empty())
        Graphic->Draw(this, QRect(X, Y, Graphic->Width(), Graphic->Height()));
}

void TCanvas::StretchDraw(const QRect& Rect, TGraphic* Graphic) {
    if (Graphic && !Graphic->Empty())
        Graphic->Draw(this, Rect);
}

void TCanvas::DrawImage(const QRect& Rect, const QImage& Image) {
    QPainter& painter = Handle();
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.drawImage(Rect, Image);
}

QRect TCanvas::ClipRect() const {
    return FDevice ? QRect(0, 0, FDevice->width(), FDevice->height()) : QRect();
}

TColor TCanvas::Pixels(int X, int Y) {
    const QImage* image = Image();
    if (!image || !image->valid(X, Y))
        return clNone;
    const QRgb pixel = image->pixel(X, Y);
    return RGB(quint8(qRed(pixel)), quint8(qGreen(pixel)), quint8(qBlue(pixel)));
}

void TCanvas::SetPixels(int X, int Y, TColor Value) {
    QPainter& painter = Handle();
    painter.setPen(QPen(ColorToQColor(Value), 1));
    painter.drawPoint(X, Y);
}

void TGraphic::SetTransparent(bool Value) {
    if (FTransparent == Value)
        return;
    FTransparent = Value;
    Changed();
}

void TGraphic::LoadFromFile(const QString& FileName) {
    QFile file(FileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EInvalidGraphic(
            QStringLiteral("Cannot open the picture \"%1\": %2").arg(FileName, file.errorString()));
    try {
        LoadFromStream(&file);
    } catch (const EInvalidGraphic& e) {
        throw EInvalidGraphic(QStringLiteral("\"%1\": %2").arg(FileName, e.Message()));
    }
}

void TGraphic::SaveToFile(const QString& FileName) {
    const QByteArray suffix = QFileInfo(FileName).suffix().toLower().toLatin1();
    const QByteArray format = suffix.isEmpty() ? QByteArray("bmp") : suffix;
    if (!QImageWriter::supportedImageFormats().contains(format))
        throw EInvalidGraphic(
            QStringLiteral("Unknown picture format \"%1\"").arg(QString::fromLatin1(format)));
    QFile file(FileName);
    if (!file.open(QIODevice::WriteOnly))
        throw EInOutError(
            QStringLiteral("Cannot create the file \"%1\": %2").arg(FileName, file.errorString()));
    SaveToStream(&file, format.constData());
}

void TGraphic::LoadFromBytes(const QByteArray& Bytes) {
    QByteArray bytes = Bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    LoadFromStream(&buffer);
}

QByteArray TGraphic::SaveToBytes(const char* Format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    SaveToStream(&buffer, Format);
    return bytes;
}

TBitmap::TBitmap(QObject* parent) : TGraphic(parent) {}

TBitmap::~TBitmap() {
    FlushCanvas();
}

void TBitmap::Assign(TPersistent* Source) {
    if (auto* picture = qobject_cast<TPicture*>(Source))
        Source = picture->Graphic();
    if (!Source) {
        SetImage(QImage());
    } else if (auto* bitmap = qobject_cast<TBitmap*>(Source)) {
        SetTransparent(bitmap->Transparent());
        SetImage(bitmap->Image());
    } else {
        TGraphic::Assign(Source);
    }
}

void TBitmap::DefineProperties(TFiler& Filer) {
    Filer.DefineBinaryProperty(
        QStringLiteral("Data"), [this](const QByteArray& Data) { LoadFromBytes(Data); },
        [this] { return SaveToBytes(); }, !Empty());
}

void TBitmap::SetSize(int AWidth, int AHeight) {
    if (AWidth < 0 || AHeight < 0)
        throw EInvalidGraphic(
            QStringLiteral("Invalid picture size %1 x %2").arg(AWidth).arg(AHeight));
    if (AWidth == Width() && AHeight == Height())
        return;
    FlushCanvas();
    QImage resized;
    if (AWidth > 0 && AHeight > 0) {
        resized = QImage(AWidth, AHeight, FImage.isNull() ? QImage::Format_RGB32 : FImage.format());
        resized.fill(Qt::white);
        QPainter painter(&resized);
        painter.drawImage(0, 0, FImage);
    }
    FImage = resized;
    Changed();
}

TCanvas* TBitmap::Canvas() {
    if (!FCanvas) {
        FCanvas = new TCanvas(&FImage, this);
        FCanvas->SetOnChange([this](TObject*) { Changed(); });
    }
    return FCanvas;
}

void TBitmap::FlushCanvas() {
    if (FCanvas)
        FCanvas->ReleaseHandle();
}

const QImage& TBitmap::Image() {
    FlushCanvas();
    return FImage;
}

void TBitmap::SetImage(const QImage& Value) {
    FlushCanvas();
    FImage = Value.isNull() ? QImage()
                            : Value.convertToFormat(Value.hasAlphaChannel()
                                                        ? QImage::Format_ARGB32_Premultiplied
                                                        : QImage::Format_RGB32);
    Changed();
}

void TBitmap::LoadFromStream(QIODevice* Stream) {
    QImageReader reader(Stream);
    const QImage image = reader.read();
    if (image.isNull())
        throw EInvalidGraphic(
            QStringLiteral("The picture cannot be read: %1").arg(reader.errorString()));
    SetImage(image);
}

void TBitmap::SaveToStream(QIODevice* Stream, const char* Format) {
    QImageWriter writer(Stream, Format);
    if (!writer.write(Image()))
        throw EInvalidGraphic(QStringLiteral("The picture cannot be written as %1: %2")
                                  .arg(QString::fromLatin1(Format), writer.errorString()));
}

void TBitmap::Draw(TCanvas* Canvas, const QRect& Rect) {
    const QImage& image = Image();
    Canvas->DrawImage(Rect, Transparent() ? WithKeyColorTransparent(image) : image);
}

TPicture::TPicture(QObject* parent) : TPersistent(parent) {}

void TPicture::Assign(TPersistent* Source) {
    if (!Source)
        SetGraphic(nullptr);
    else if (auto* picture = qobject_cast<TPicture*>(Source))
        SetGraphic(picture->Graphic());
    else if (auto* graphic = qobject_cast<TGraphic*>(Source))
        SetGraphic(graphic);
    else
        TPersistent::Assign(Source);
}

void TPicture::DefineProperties(TFiler& Filer) {
    Filer.DefineBinaryProperty(
        QStringLiteral("Data"),
        [this](const QByteArray& Data) {
            auto bitmap = std::make_unique<TBitmap>();
            bitmap->LoadFromBytes(Data);
            TakeGraphic(bitmap.release());
        },
        [this] { return FGraphic->SaveToBytes(); }, FGraphic && !FGraphic->Empty());
}

void TPicture::SetGraphic(TGraphic* Value) {
    if (!Value) {
        TakeGraphic(nullptr);
        return;
    }
    auto* copy = qobject_cast<TGraphic*>(Value->metaObject()->newInstance());
    if (!copy)
        throw EInvalidGraphic(
            QStringLiteral("Cannot copy a picture of class %1").arg(Value->ClassName()));
    copy->Assign(Value);
    TakeGraphic(copy);
}

TBitmap* TPicture::Bitmap() {
    if (!qobject_cast<TBitmap*>(FGraphic))
        TakeGraphic(new TBitmap);
    return static_cast<TBitmap*>(FGraphic);
}

void TPicture::LoadFromFile(const QString& FileName) {
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->LoadFromFile(FileName);
    TakeGraphic(bitmap.release());
}

void TPicture::SaveToFile(const QString& FileName) {
    if (!FGraphic)
        throw EInvalidGraphic(QStringLiteral("The picture is empty"));
    FGraphic->SaveToFile(FileName);
}

void TPicture::TakeGraphic(TGraphic* Value) {
    delete FGraphic;
    FGraphic = Value;
    if (FGraphic) {
        FGraphic->setParent(this);
        FGraphic->SetOnChange(TNotifyEvent(this, &TPicture::Changed));
    }
    Changed(this);
}

void TPicture::Changed(TObject*) {
    FOnChange(this);
}

QString GraphicExtension() {
    return QStringLiteral("bmp");
}

QString GraphicFilter() {
    QStringList patterns;
    for (const QByteArray& format : QImageReader::supportedImageFormats())
        patterns << QStringLiteral("*.") + QString::fromLatin1(format).toLower();
    patterns.removeDuplicates();
    const QString all = patterns.join(QLatin1Char(';'));
    return QStringLiteral("Bitmaps (*.bmp)|*.bmp|All pictures (%1)|%1|All files (*)|*").arg(all);
}
