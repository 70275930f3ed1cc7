#pragma once

// The demonstration program's main window: a small launcher that opens the edit forms of
// the people, countries and languages tables, with the program's logo and contacts.

#include <ui/Forms.h>

class TImage;
class TLabel;
class TSpeedButton;

// The main form.
class TForm1 : public TForm {
    Q_OBJECT
    Q_CLASSINFO("FormFile", ":/demo/forms/Unit1.form")
public:
    Q_INVOKABLE explicit TForm1(TComponent* AOwner = nullptr);

    TImage* Image1 = nullptr;
    TSpeedButton* SpeedButton1 = nullptr;
    TSpeedButton* SpeedButton4 = nullptr;
    TSpeedButton* SpeedButton5 = nullptr;
    TLabel* LabelMail = nullptr;
    TLabel* LabelHomePage = nullptr;

    // Every query the library makes for itself is a library query.
    Q_INVOKABLE void FormCreate(TObject* Sender);
    // "Main form", "Countries", "Languages": the table's own edit-data handler.
    Q_INVOKABLE void SpeedButton1Click(TObject* Sender);
    Q_INVOKABLE void SpeedButton4Click(TObject* Sender);
    Q_INVOKABLE void SpeedButton5Click(TObject* Sender);
    // The mail program with the address, the browser with the home page; nothing when the
    // desktop has no such program.
    Q_INVOKABLE void LabelMailClick(TObject* Sender);
    Q_INVOKABLE void LabelHomePageClick(TObject* Sender);
};

extern TForm1* Form1;
