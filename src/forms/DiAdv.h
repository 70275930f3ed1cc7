#pragma once

#include <QSize>
#include <QString>
#include <rtl/Alignment.h>
#include <rtl/Exceptions.h>
#include <ui/Forms.h>

class QObject;
class TButton;
class TComponent;
class TFont;
class TImage;
class TLabel;
class TMemo;

// Root's component called Name, which its form file made a T; raises EComponentError when
// there is none.
template <class T> T* FormComponent(const TComponent* Root, const char* Name) {
    if (auto* component = qobject_cast<T*>(Root->FindComponent(QString::fromLatin1(Name))))
        return component;
    throw EComponentError(QStringLiteral("%1 has no %2 \"%3\"")
                              .arg(Root->Name(),
                                   QString::fromLatin1(T::staticMetaObject.className()),
                                   QString::fromLatin1(Name)));
}

// An error message with an OK button and a "Detail" button that unfolds a memo with
// further text below them.
class TDlgErrorAdv : public TForm {
    Q_OBJECT
    Q_CLASSINFO("FormFile", ":/kro/forms/DiAdv.form")
public:
    Q_INVOKABLE explicit TDlgErrorAdv(TComponent* AOwner = nullptr);

    TImage* ImageError = nullptr;
    TLabel* LabelError = nullptr;
    TMemo* MemoDetail = nullptr;
    TButton* ButtonOk = nullptr;
    TButton* ButtonDetail = nullptr;

    bool DetailShown() const { return FDetailShown; }
    // Shows Message, with Detail folded behind "Detail" (disabled when Detail is empty),
    // and returns when the dialog is closed.
    void Execute(const QString& Message, const QString& Detail);

    Q_INVOKABLE void FormCreate(TObject* Sender);
    // Unfolds the detail memo, or folds it away again.
    Q_INVOKABLE void ButtonDetailClick(TObject* Sender);

private:
    void ShowDetail(bool Value);

    bool FDetailShown = false;
};

// The program's one error dialog, made on first use and owned by the application.
TDlgErrorAdv* DlgErrorAdv();

// General routines shared across the library.

// S placed in exactly Width characters: cut when not shorter, else padded with spaces
// on the right (left alignment), on the left (right) or on both sides (centre).
QString PadString(const QString& S, int Width, TAlignment Alignment);

// The object's published string property of that name, or "" when it has none.
QString GetStrPropByName(const QObject* Object, const QString& Name);
// Sets it and returns true; false when the object has no such string property.
bool SetStrPropByName(QObject* Object, const QString& Name, const QString& Value);

// Gives Dest, for every published event of Source, Source's handler when Dest has an
// event property of that name and the same type.
void CopyEventHandlers(const QObject* Source, QObject* Dest);

// Width and height of Text in Font measured on an off-screen image; for an empty Text
// the width of "0" and the height of "W".
QSize GetFontMetrics(const TFont* Font, const QString& Text);

// A new component of the same class with the same stored properties and children, made
// by writing Component as a form and reading it back; the caller owns it. Names and
// handlers resolve in Component's owner.
TComponent* CloneComponent(TComponent* Component);
