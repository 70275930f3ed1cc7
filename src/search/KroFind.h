#pragma once

// The search of a dataset by the fields of its current order.

#include <rtl/Component.h>

class TDataSource;

// Texts of the search.
inline const QString FindTextNoOrder =
    QStringLiteral("Fields for sorting must be defined! Search is impossible");
inline const QString FindTextNoConditions =
    QStringLiteral("No conditions are defined! Search is impossible");
inline const QString FindTextNotFound = QStringLiteral("Record not found!");
inline const QString FindTextNearest = QStringLiteral("Find nearest?");

// Searches the dataset of DataSource for a record by the fields of its current order,
// which the user fills in the find dialog (a lookup field in place of the key field it
// shows). A table whose order starts with the filled fields is searched through the index,
// offering the nearest record on a miss; otherwise Locate runs, ignoring case and matching
// a leading part as the dialog's two options say. The options are kept between searches.
class TKroFindDlg : public TComponent {
    Q_OBJECT
    Q_PROPERTY(int MaxLabelWidth READ MaxLabelWidth WRITE SetMaxLabelWidth)
    Q_PROPERTY(int MaxEditWidth READ MaxEditWidth WRITE SetMaxEditWidth)
    Q_PROPERTY(TDataSource* DataSource READ DataSource WRITE SetDataSource)
public:
    Q_INVOKABLE explicit TKroFindDlg(TComponent* AOwner = nullptr);

    // In characters; 0 sets no limit.
    int MaxLabelWidth() const { return FMaxLabelWidth; }
    void SetMaxLabelWidth(int Value) { FMaxLabelWidth = Value; }
    int MaxEditWidth() const { return FMaxEditWidth; }
    void SetMaxEditWidth(int Value) { FMaxEditWidth = Value; }
    TDataSource* DataSource() const { return FDataSource; }
    void SetDataSource(TDataSource* Value);

    bool CaseSensitive() const { return FCaseSensitive; }
    bool FullCoincidence() const { return FFullCoincidence; }

    // Shows the dialog and searches; true when the user pressed Find. False without a
    // dataset, and after the message when the dataset has no current order.
    bool Execute();

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    int FMaxLabelWidth = 0;
    int FMaxEditWidth = 0;
    TDataSource* FDataSource = nullptr;
    bool FCaseSensitive = true;
    bool FFullCoincidence = true;
};
