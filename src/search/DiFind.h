#pragma once

#include <QList>
#include <ui/Forms.h>

class TBevel;
class TBitBtn;
class TCheckBox;
class TControl;
class TDataSource;
class TField;
class TPanel;

// Texts of the find dialog.
inline const QString FindTextCaption = QStringLiteral("Search by sorting fields: ");
inline const QString FindTextFind = QStringLiteral("Find");
inline const QString FindTextCancel = QStringLiteral("Cancel");
inline const QString FindTextCase = QStringLiteral("Case sensitive");
inline const QString FindTextNoPartial = QStringLiteral("Full coincidence");

// The find dialog: a row of a label and an unbound value editor per searched field in the
// bevel, the two search options and the buttons below.
class TDialFind : public TForm {
    Q_OBJECT
    Q_CLASSINFO("FormFile", ":/kro/forms/DiFind.form")
public:
    Q_INVOKABLE explicit TDialFind(TComponent* AOwner = nullptr);

    TBevel* Bevel1 = nullptr;
    TPanel* Panel1 = nullptr;
    TCheckBox* CheckBoxCase = nullptr;
    TCheckBox* CheckBoxNoPartial = nullptr;
    TBitBtn* BtnFind = nullptr;
    TBitBtn* BtnCancel = nullptr;
    TDataSource* DataSource = nullptr;

    // Adds a row per field: the label column as wide as the longest display label (at most
    // MaxLabelWidth characters when positive), each editor at most MaxEditWidth characters
    // wide (when positive) and ending 32 pixels before the screen's right edge. The first
    // editor becomes the active control. The bevel takes the rows' height and grows wider
    // when they need it; the form follows.
    void BuildRows(const QList<TField*>& Fields, int MaxLabelWidth, int MaxEditWidth);
    // The editors of the rows, in the order of the fields.
    const QList<TControl*>& Editors() const { return FEditors; }

    // An open lookup list of the active control is closed taking its row.
    Q_INVOKABLE void FormCloseQuery(TObject* Sender, bool& CanClose);

private:
    void FitRows(int Right, int Bottom);

    QList<TControl*> FEditors;
};
