#pragma once

#include <QImage>
#include <QPainter>
#include <QRect>
#include <memory>
#include <rtl/Color.h>
#include <rtl/Exceptions.h>
#include <rtl/Font.h>

class QIODevice;
class TGraphic;
class TTextCache;

// A picture file or stream that cannot be read, or a format that cannot be written.
class EInvalidGraphic : public Exception {
public:
    using Exception::Exception;
};

// Drawing on a canvas that has nothing to draw on.
class EInvalidGraphicOperation : public Exception {
public:
    using Exception::Exception;
};

PUBLISHED_ENUM(TPenStyle, psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame)
// How the pen combines with what is drawn already; devices other than images draw pmCopy.
PUBLISHED_ENUM(TPenMode, pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMerge, pmMask, pmXor,
               pmNotXor)
PUBLISHED_ENUM(TBrushStyle, bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal,
               bsCross, bsDiagCross)

// A pen or brush: OnChange fires once for every change that alters a value.
class TGraphicsObject : public TPersistent {
    Q_OBJECT
public:
    using TPersistent::TPersistent;

    const TNotifyEvent& OnChange() const { return FOnChange; }
    void SetOnChange(const TNotifyEvent& Value) { FOnChange = Value; }

protected:
    template <class T> void Change(T& Field, const T& Value) {
        if (Field == Value)
            return;
        Field = Value;
        FOnChange(this);
    }

private:
    TNotifyEvent FOnChange;
};

// What lines and outlines are drawn with. Width is in device pixels.
class TPen : public TGraphicsObject {
    Q_OBJECT
    Q_PROPERTY(TColor Color READ Color WRITE SetColor)
    Q_PROPERTY(TPenMode Mode READ Mode WRITE SetMode)
    Q_PROPERTY(TPenStyle Style READ Style WRITE SetStyle)
    Q_PROPERTY(int Width READ Width WRITE SetWidth)
public:
    Q_INVOKABLE explicit TPen(QObject* parent = nullptr);

    void Assign(TPersistent* Source) override;

    TColor Color() const { return FColor; }
    void SetColor(TColor Value) { Change(FColor, Value); }
    TPenMode Mode() const { return FMode; }
    void SetMode(TPenMode Value) { Change(FMode, Value); }
    TPenStyle Style() const { return FStyle; }
    void SetStyle(TPenStyle Value) { Change(FStyle, Value); }
    int Width() const { return FWidth; }
    void SetWidth(int Value) { Change(FWidth, qMax(1, Value)); }

    QPen ToQPen() const;

private:
    TColor FColor = clBlack;
    TPenMode FMode = pmCopy;
    TPenStyle FStyle = psSolid;
    int FWidth = 1;
};

// What areas are filled with; bsClear leaves them as they are.
class TBrush : public TGraphicsObject {
    Q_OBJECT
    Q_PROPERTY(TColor Color READ Color WRITE SetColor)
    Q_PROPERTY(TBrushStyle Style READ Style WRITE SetStyle)
public:
    Q_INVOKABLE explicit TBrush(QObject* parent = nullptr);

    void Assign(TPersistent* Source) override;

    TColor Color() const { return FColor; }
    void SetColor(TColor Value) { Change(FColor, Value); }
    TBrushStyle Style() const { return FStyle; }
    void SetStyle(TBrushStyle Value) { Change(FStyle, Value); }

    QBrush ToQBrush() const;

private:
    TColor FColor = clWhite;
    TBrushStyle FStyle = bsSolid;
};

// The measures of the canvas's font, in device pixels. The overhang is how far the glyphs
// of the font reach beyond their advance (italics do).
struct TTextMetric {
    int tmHeight = 0;
    int tmAscent = 0;
    int tmDescent = 0;
    int tmInternalLeading = 0;
    int tmExternalLeading = 0;
    int tmAveCharWidth = 0;
    int tmMaxCharWidth = 0;
    int tmOverhang = 0;
};

// Drawing on a paint device (an image, a printer, a control while it paints) with a font,
// a pen and a brush. The painter is opened on first use and closed by ReleaseHandle.
// Rectangles are QRects: a figure drawn in one covers exactly its pixels. Font sizes are
// in points at PixelsPerInch, so text on a printer has its size in print. Texts are
// shaped once per font and kept (TTextCache), so drawing and measuring them again is cheap.
class TCanvas : public TPersistent {
    Q_OBJECT
public:
    explicit TCanvas(QPaintDevice* Device = nullptr, QObject* parent = nullptr);
    ~TCanvas() override;

    TFont* Font() const { return FFont; }
    void SetFont(TFont* Value) { FFont->Assign(Value); }
    TPen* Pen() const { return FPen; }
    void SetPen(TPen* Value) { FPen->Assign(Value); }
    TBrush* Brush() const { return FBrush; }
    void SetBrush(TBrush* Value) { FBrush->Assign(Value); }
    int PixelsPerInch() const { return FPixelsPerInch; }
    void SetPixelsPerInch(int Value) { FPixelsPerInch = Value; }

    QPoint PenPos() const { return FPenPos; }
    void SetPenPos(QPoint Value) { FPenPos = Value; }
    void MoveTo(int X, int Y) { FPenPos = QPoint(X, Y); }
    // A line from PenPos to (X, Y), without the end point, which becomes PenPos.
    void LineTo(int X, int Y);
    void Polyline(const QList<QPoint>& Points);
    // A closed outline through Points with the pen, filled with the brush.
    void Polygon(const QList<QPoint>& Points);
    // An outline with the pen, filled with the brush.
    void Rectangle(int X1, int Y1, int X2, int Y2) {
        Rectangle(QRect(QPoint(X1, Y1), QPoint(X2 - 1, Y2 - 1)));
    }
    void Rectangle(const QRect& Rect);
    void Ellipse(int X1, int Y1, int X2, int Y2) {
        Ellipse(QRect(QPoint(X1, Y1), QPoint(X2 - 1, Y2 - 1)));
    }
    void Ellipse(const QRect& Rect);
    void FillRect(const QRect& Rect);
    // A one-pixel outline in the brush's colour.
    void FrameRect(const QRect& Rect);
    // A dotted outline that a second call at the same place removes.
    void DrawFocusRect(const QRect& Rect);

    // Text with its top-left corner at (X, Y) on the brush (unless bsClear); PenPos moves
    // to the end of the text.
    void TextOut(int X, int Y, const QString& Text);
    // Text at (X, Y) clipped to Rect (within any clipping in place), which is filled with
    // the brush first unless bsClear.
    void TextRect(const QRect& Rect, int X, int Y, const QString& Text);
    int TextWidth(const QString& Text) { return TextExtent(Text).width(); }
    int TextHeight(const QString& Text) { return TextExtent(Text).height(); }
    QSize TextExtent(const QString& Text);
    TTextMetric TextMetric();

    // Graphic at its own size with its top-left corner at (X, Y); scaled into Rect.
    void Draw(int X, int Y, TGraphic* Graphic);
    void StretchDraw(const QRect& Rect, TGraphic* Graphic);
    void DrawImage(const QRect& Rect, const QImage& Image);

    // The area drawing reaches: the whole device.
    QRect ClipRect() const;
    // Pixels of a canvas on an image; clNone elsewhere and outside the image.
    TColor Pixels(int X, int Y);
    void SetPixels(int X, int Y, TColor Value);

    // The painter with the canvas's font, pen and brush; opened when it is not. Every
    // drawing takes it, and OnChange fires. The font is set again only when it changed, so
    // whoever sets the painter's font must restore it.
    QPainter& Handle();
    bool HandleAllocated() const { return FPainter.isActive(); }
    // Closes the painter; the next drawing opens it again.
    void ReleaseHandle();

    const TNotifyEvent& OnChange() const { return FOnChange; }
    void SetOnChange(const TNotifyEvent& Value) { FOnChange = Value; }

protected:
    // Opens the painter on the device; raises EInvalidGraphicOperation when it cannot.
    virtual void CreateHandle();
    QPainter& Painter() { return FPainter; }
    QPaintDevice* Device() const { return FDevice; }
    void SetDevice(QPaintDevice* Value);

private:
    QFont DeviceFont() const;
    QFontMetrics Metrics();
    QImage* Image() const;
    TTextCache& Texts();

    QPaintDevice* FDevice;
    QPainter FPainter;
    QFont FPainterFont; // set on the painter while FPainterFontSet
    bool FPainterFontSet = false;
    std::unique_ptr<TTextCache> FTexts;
    TFont* FFont;
    TPen* FPen;
    TBrush* FBrush;
    QPoint FPenPos;
    int FPixelsPerInch = TFont::PixelsPerInch;
    TNotifyEvent FOnChange;
};

// The measures of Canvas's font.
TTextMetric GetTextMetrics(TCanvas* Canvas);

// A picture of some kind: its size, how it draws on a canvas, how it is read and written.
class TGraphic : public TPersistent {
    Q_OBJECT
public:
    using TPersistent::TPersistent;

    virtual int Width() const = 0;
    virtual void SetWidth(int Value) = 0;
    virtual int Height() const = 0;
    virtual void SetHeight(int Value) = 0;
    virtual bool Empty() const = 0;
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool Value);

    void LoadFromFile(const QString& FileName);
    // Writes the format the file name's suffix names; BMP without a suffix.
    void SaveToFile(const QString& FileName);
    virtual void LoadFromStream(QIODevice* Stream) = 0;
    virtual void SaveToStream(QIODevice* Stream, const char* Format = "BMP") = 0;
    // The picture from, or as, the bytes of a picture file.
    void LoadFromBytes(const QByteArray& Bytes);
    QByteArray SaveToBytes(const char* Format = "PNG");

    const TNotifyEvent& OnChange() const { return FOnChange; }
    void SetOnChange(const TNotifyEvent& Value) { FOnChange = Value; }

protected:
    friend class TCanvas;
    virtual void Draw(TCanvas* Canvas, const QRect& Rect) = 0;
    void Changed() { FOnChange(this); }

private:
    bool FTransparent = false;
    TNotifyEvent FOnChange;
};

// A picture held as an image in memory, with a canvas to draw on it. Reads and writes
// every image format Qt knows (BMP, PNG, JPEG among them). Form files store it in its
// Data, as PNG.
class TBitmap : public TGraphic {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TBitmap(QObject* parent = nullptr);
    ~TBitmap() override;

    void Assign(TPersistent* Source) override;
    void DefineProperties(TFiler& Filer) override;

    int Width() const override { return FImage.width(); }
    void SetWidth(int Value) override { SetSize(Value, Height()); }
    int Height() const override { return FImage.height(); }
    void SetHeight(int Value) override { SetSize(Width(), Value); }
    // Keeps the picture's top-left part; new area is white.
    void SetSize(int AWidth, int AHeight);
    bool Empty() const override { return FImage.isNull(); }
    TCanvas* Canvas();

    void LoadFromStream(QIODevice* Stream) override;
    void SaveToStream(QIODevice* Stream, const char* Format = "BMP") override;

    // The picture with everything drawn so far.
    const QImage& Image();
    void SetImage(const QImage& Value);

protected:
    void Draw(TCanvas* Canvas, const QRect& Rect) override;

private:
    void FlushCanvas();

    QImage FImage;
    TCanvas* FCanvas = nullptr;
};

// A holder of a graphic that reads the kind of picture a file holds. Form files store
// the picture in its Data, as PNG.
class TPicture : public TPersistent {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TPicture(QObject* parent = nullptr);

    void Assign(TPersistent* Source) override;
    void DefineProperties(TFiler& Filer) override;

    // The graphic; nullptr while the picture is empty.
    TGraphic* Graphic() const { return FGraphic; }
    // Takes a copy of Value; nullptr empties the picture.
    void SetGraphic(TGraphic* Value);
    // The graphic as a bitmap, made (and the former graphic dropped) when it is none.
    TBitmap* Bitmap();
    int Width() const { return FGraphic ? FGraphic->Width() : 0; }
    int Height() const { return FGraphic ? FGraphic->Height() : 0; }

    // A failing load raises EInvalidGraphic and leaves the picture as it was.
    void LoadFromFile(const QString& FileName);
    void SaveToFile(const QString& FileName);

    const TNotifyEvent& OnChange() const { return FOnChange; }
    void SetOnChange(const TNotifyEvent& Value) { FOnChange = Value; }

private:
    void TakeGraphic(TGraphic* Value);
    void Changed(TObject* Sender);

    TGraphic* FGraphic = nullptr;
    TNotifyEvent FOnChange;
};

// The default extension ("bmp") and the file dialog filter for pictures: bitmaps first,
// then every format pictures are read from, then all files.
QString GraphicExtension();
QString GraphicFilter();
