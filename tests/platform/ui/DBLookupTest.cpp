#include "TestForms.h"

#include <QMap>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>
#include <algorithm>
#include <db/DataSource.h>
#include <db/Database.h>
#include <db/DbClasses.h>
#include <db/FieldDefs.h>
#include <db/Fields.h>
#include <db/Session.h>
#include <db/Table.h>
#include <gtest/gtest.h>
#include <rtl/Streaming.h>
#include <ui/DBLookup.h>
#include <ui/ScriptedResponder.h>

namespace {

// An SQLite database with a Country list (Code, Name, Continent; read in Name order) and
// People who refer to it by CountryCode, shown on a form with a lookup combo.
class DBLookup : public ::testing::Test {
protected:
    DBLookup() {
        RegisterFieldClasses();
        MakeTables();
        Country = NewTable(QStringLiteral("Country"));
        Country->SetIndexFieldNames(QStringLiteral("Name"));
        People = NewTable(QStringLiteral("People"));
        CountrySource->SetDataSet(Country);
        PeopleSource->SetDataSet(People);
        Combo->SetParent(&Form);
        Combo->SetBounds(10, 10, 200, 24);
    }

    ~DBLookup() override {
        const TConfigMode saved = Session()->ConfigMode();
        Session()->SetConfigMode({cmSession});
        Session()->DeleteAlias(Alias);
        Session()->SetConfigMode(saved);
    }

    TTable* NewTable(const QString& Name) {
        auto* table = new TTable(&Form);
        table->SetDatabaseName(Alias);
        table->SetTableName(Name);
        return table;
    }

    void MakeTables() {
        static int serial = 0;
        Alias = QStringLiteral("LookupTest%1").arg(++serial);
        const TConfigMode saved = Session()->ConfigMode();
        Session()->SetConfigMode({cmSession});
        Session()->AddStandardAlias(Alias, Dir.path(), QStringLiteral("PARADOX"));
        Session()->SetConfigMode(saved);

        std::unique_ptr<TTable> country(NewTable(QStringLiteral("Country")));
        country->FieldDefs()->Add(QStringLiteral("Code"), ftString, 3, true);
        country->FieldDefs()->Add(QStringLiteral("Name"), ftString, 20);
        country->FieldDefs()->Add(QStringLiteral("Continent"), ftString, 12);
        country->IndexDefs()->Add(QString(), QStringLiteral("Code"), {ixPrimary});
        country->IndexDefs()->Add(QStringLiteral("ByName"), QStringLiteral("Name"), {});
        country->CreateTable();
        std::unique_ptr<TTable> people(NewTable(QStringLiteral("People")));
        people->FieldDefs()->Add(QStringLiteral("Id"), ftAutoInc);
        people->FieldDefs()->Add(QStringLiteral("Name"), ftString, 20);
        people->FieldDefs()->Add(QStringLiteral("CountryCode"), ftString, 3);
        people->CreateTable();

        TDbConnection* connection = Session()->OpenDatabase(Alias)->Connection();
        for (const auto& [code, name, continent] :
             {std::tuple{"ES", "Spain", "Europe"}, std::tuple{"FR", "France", "Europe"},
              std::tuple{"IT", "Italy", "Europe"}, std::tuple{"JP", "Japan", "Asia"},
              std::tuple{"PE", "Peru", "America"}})
            connection->Execute(QStringLiteral("INSERT INTO \"Country\" VALUES (?, ?, ?)"),
                                {QString::fromLatin1(code), QString::fromLatin1(name),
                                 QString::fromLatin1(continent)});
        for (const auto& [name, code] : {std::pair{"Ann", "ES"}, std::pair{"Bob", "FR"},
                                         std::pair{"Cid", ""}, std::pair{"Dan", "JP"}})
            connection->Execute(
                QStringLiteral("INSERT INTO \"People\" (\"Name\", \"CountryCode\") VALUES (?, ?)"),
                {QString::fromLatin1(name),
                 *code ? Variant(QString::fromLatin1(code)) : Variant()});
        Session()->CloseDatabase(Session()->FindDatabase(Alias));
    }

    // The combo on People.CountryCode with the countries' names as its list.
    void BindToCode(const QString& ListField = QStringLiteral("Name")) {
        Combo->SetDataSource(PeopleSource);
        Combo->SetDataField(QStringLiteral("CountryCode"));
        Combo->SetListSource(CountrySource);
        Combo->SetKeyField(QStringLiteral("Code"));
        Combo->SetListField(ListField);
        Country->Open();
        People->Open();
    }

    // Persistent fields of People: Name, CountryCode and the lookup field CountryName.
    TField* AddCountryNameField() {
        People->Close();
        for (const char* name : {"Name", "CountryCode"}) {
            auto* field = new TStringField(&Form);
            field->SetFieldName(QString::fromLatin1(name));
            field->SetDataSet(People);
        }
        auto* countryName = new TStringField(&Form);
        countryName->SetFieldName(QStringLiteral("CountryName"));
        countryName->SetFieldKind(fkLookup);
        countryName->SetLookupDataSet(Country);
        countryName->SetKeyFields(QStringLiteral("CountryCode"));
        countryName->SetLookupKeyFields(QStringLiteral("Code"));
        countryName->SetLookupResultField(QStringLiteral("Name"));
        countryName->SetDataSet(People);
        Country->Open();
        People->Open();
        return countryName;
    }

    void ShowFocused() {
        Form.Show();
        Activate(&Form);
        Combo->SetFocus();
        ProcessEvents();
    }

    void Key(Qt::Key K, Qt::KeyboardModifiers Modifiers = Qt::NoModifier) {
        QTest::keyClick(Combo->Widget(), K, Modifiers);
    }

    QString Code() const { return People->FieldByName(QStringLiteral("CountryCode"))->AsString(); }

    QTemporaryDir Dir;
    QString Alias;
    TForm Form;
    TTable* Country = nullptr;
    TTable* People = nullptr;
    TDataSource* CountrySource = new TDataSource(&Form);
    TDataSource* PeopleSource = new TDataSource(&Form);
    TDBLookupComboBox* Combo = new TDBLookupComboBox(&Form);
};

std::string Joined(const QStringList& Texts) {
    return Texts.join(QStringLiteral("; ")).toStdString();
}

// Records, while it lives, the events of the kinds a program posts rather than sends (queued
// calls, timers, layout, polish and update requests) as the application delivers them, and
// the messages Qt writes.
class TPostedEvents : public QObject {
public:
    TPostedEvents() {
        QCoreApplication::instance()->installEventFilter(this);
        Current = this;
        FFormerHandler =
            qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& Text) {
                Current->Messages << Text;
            });
    }
    ~TPostedEvents() override {
        qInstallMessageHandler(FFormerHandler);
        Current = nullptr;
    }

    // The events delivered so far, as "kind to receiver", and forgets them and the messages.
    QStringList Take() {
        Messages.clear();
        return std::exchange(FEvents, {});
    }

    QStringList Messages;

protected:
    bool eventFilter(QObject* Receiver, QEvent* Event) override {
        static const QMap<QEvent::Type, QString> kinds{
            {QEvent::MetaCall, QStringLiteral("queued call")},
            {QEvent::Timer, QStringLiteral("timer")},
            {QEvent::LayoutRequest, QStringLiteral("layout request")},
            {QEvent::PolishRequest, QStringLiteral("polish request")},
            {QEvent::UpdateRequest, QStringLiteral("update request")},
            {QEvent::UpdateLater, QStringLiteral("update later")}};
        if (const auto kind = kinds.find(Event->type()); kind != kinds.end()) {
            const QWidget* widget = qobject_cast<const QWidget*>(Receiver);
            const TControl* control = widget ? TWidgetLink::ControlOf(widget) : nullptr;
            FEvents << QStringLiteral("%1 to %2")
                           .arg(*kind,
                                control ? QString::fromLatin1(control->metaObject()->className())
                                        : QString::fromLatin1(Receiver->metaObject()->className()));
        }
        return false;
    }

private:
    static inline TPostedEvents* Current = nullptr;
    QtMessageHandler FFormerHandler;
    QStringList FEvents;
};

TEST_F(DBLookup, ShowsTheListTextOfTheRecordsKeyAndFollowsTheRecord) {
    BindToCode();
    Country->Last(); // Spain
    EXPECT_EQ(Combo->KeyValue(), QVariant(QStringLiteral("ES")));
    EXPECT_EQ(Combo->Text(), QStringLiteral("Spain"));
    People->Next();
    EXPECT_EQ(Combo->Text(), QStringLiteral("France"));
    EXPECT_EQ(Country->FieldByName(QStringLiteral("Name"))->AsString(), QStringLiteral("Spain"))
        << "showing a key leaves the list where it was";
    People->Next();
    EXPECT_TRUE(VarIsNull(Combo->KeyValue()));
    EXPECT_EQ(Combo->Text(), QString());
    People->Last();
    EXPECT_EQ(Combo->Text(), QStringLiteral("Japan"));

    Combo->SetListField(QStringLiteral("Name;Continent"));
    Combo->SetListFieldIndex(1);
    EXPECT_EQ(Combo->Text(), QStringLiteral("Asia"));
    Combo->SetListFieldIndex(5); // out of range: the first list field
    EXPECT_EQ(Combo->Text(), QStringLiteral("Japan"));

    People->Close();
    EXPECT_EQ(Combo->Field(), nullptr);
    EXPECT_EQ(Combo->Text(), QString());
    People->Open();
    EXPECT_EQ(Combo->Text(), QStringLiteral("Spain"));

    EXPECT_THROW(Combo->SetKeyField(QStringLiteral("Nope")), EDatabaseError);
    EXPECT_FALSE(Combo->ListActive());
    EXPECT_THROW(Combo->SetDataField(QStringLiteral("Nope")), EDatabaseError);
}

TEST_F(DBLookup, KeyboardChoiceWritesTheKeyAndStartsEditing) {
    BindToCode();
    ShowFocused();
    ASSERT_TRUE(Combo->Focused());
    int dropped = 0, closed = 0;
    Combo->SetOnDropDown(TNotifyEvent([&dropped](TObject*) { ++dropped; }));
    Combo->SetOnCloseUp(TNotifyEvent([&closed](TObject*) { ++closed; }));

    Key(Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(Combo->DroppedDown());
    EXPECT_EQ(dropped, 1);
    TPopupDataList* list = Combo->DataList();
    QWidget* window = ShownWindow(list);
    ASSERT_NE(window, nullptr) << "the list shows as a window of its own";
    EXPECT_TRUE(Combo->Focused()) << "the list never takes the focus";
    EXPECT_EQ(list->KeyValue(), QVariant(QStringLiteral("ES")));
    // Five countries in name order, Spain last and highlighted.
    EXPECT_EQ(list->RowCount(), 5);
    EXPECT_EQ(list->SelectedRow(), 4);
    EXPECT_GE(window->y(), Combo->Widget()->mapToGlobal(QPoint(0, 0)).y());

    Key(Qt::Key_Up);
    Key(Qt::Key_Up);
    EXPECT_EQ(list->SelectedRow(), 2);
    EXPECT_EQ(People->State(), dsBrowse) << "moving in the list writes nothing yet";
    Key(Qt::Key_Return);
    EXPECT_FALSE(Combo->DroppedDown());
    EXPECT_EQ(ShownWindow(list), nullptr);
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(People->State(), dsEdit);
    EXPECT_EQ(Code(), QStringLiteral("JP"));
    EXPECT_EQ(Combo->Text(), QStringLiteral("Japan"));

    // F4 opens and closes, accepting; Home and End reach the ends.
    Key(Qt::Key_F4);
    ASSERT_TRUE(Combo->DroppedDown());
    EXPECT_EQ(list->SelectedRow(), 2);
    Key(Qt::Key_Home);
    EXPECT_EQ(list->KeyValue(), QVariant(QStringLiteral("FR")));
    Key(Qt::Key_End);
    Key(Qt::Key_PageUp);
    EXPECT_EQ(list->KeyValue(), QVariant(QStringLiteral("FR")));
    Key(Qt::Key_PageDown);
    EXPECT_EQ(list->KeyValue(), QVariant(QStringLiteral("ES")));
    Key(Qt::Key_F4);
    EXPECT_FALSE(Combo->DroppedDown());
    EXPECT_EQ(Code(), QStringLiteral("ES"));
    People->Post();
    EXPECT_EQ(People->FieldByName(QStringLiteral("CountryCode"))->AsString(), QStringLiteral("ES"));
}

TEST_F(DBLookup, AClickOnTheListChoosesARowOnAModalForm) {
    BindToCode();
    TScriptedResponder responder;
    responder.Answer([this](TForm* Shown) {
        Activate(Shown);
        Combo->SetFocus();
        QTest::mouseClick(Combo->Widget(), Qt::LeftButton);
        ASSERT_TRUE(Combo->DroppedDown());
        TPopupDataList* list = Combo->DataList();
        ASSERT_NE(ShownWindow(list), nullptr);
        // Through the window system, where a modal form blocks the windows not its own.
        QTest::mouseClick(ShownWindow(list)->windowHandle(), Qt::LeftButton, {},
                          QPoint(5, 1 + list->RowHeight() + list->RowHeight() / 2));
        EXPECT_FALSE(Combo->DroppedDown()) << "the modal form lets the click through";
        EXPECT_EQ(Code(), QStringLiteral("IT"));
        Shown->SetModalResult(mrCancel);
    });
    Form.ShowModal();
    People->Cancel();
}

TEST_F(DBLookup, TheWheelOverTheListMovesTheHighlightARowANotch) {
    BindToCode();
    ShowFocused();
    Key(Qt::Key_Down, Qt::AltModifier);
    TPopupDataList* list = Combo->DataList();
    QWidget* window = ShownWindow(list);
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(list->SelectedRow(), 4);
    const auto turn = [window](int Delta) {
        const QPointF inside(window->width() / 2.0, window->height() / 2.0);
        QWheelEvent wheel(inside, window->mapToGlobal(inside), QPoint(), QPoint(0, Delta),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(window, &wheel);
    };
    turn(2 * QWheelEvent::DefaultDeltasPerStep); // away from the user: up the list
    EXPECT_EQ(list->SelectedRow(), 2);
    turn(QWheelEvent::DefaultDeltasPerStep / 2); // half a notch does nothing yet
    EXPECT_EQ(list->SelectedRow(), 2);
    turn(-QWheelEvent::DefaultDeltasPerStep / 2 - QWheelEvent::DefaultDeltasPerStep);
    EXPECT_EQ(list->SelectedRow(), 3);
    EXPECT_TRUE(Combo->DroppedDown());
    EXPECT_EQ(People->State(), dsBrowse) << "the wheel writes nothing";
    Key(Qt::Key_Return);
    EXPECT_EQ(Code(), QStringLiteral("PE"));
}

TEST_F(DBLookup, DroppingDownMovesTheListDataSetOnlyWhenItStandsOffTheKey) {
    BindToCode();
    ShowFocused();
    int scrolls = 0;
    Country->SetAfterScroll(TDataSetNotifyEvent([&scrolls](TDataSet*) { ++scrolls; }));
    Country->First(); // France, away from Spain
    scrolls = 0;
    Key(Qt::Key_F4);
    TPopupDataList* list = Combo->DataList();
    EXPECT_EQ(scrolls, 1) << "one move onto the key's row";
    EXPECT_EQ(Country->FieldByName(QStringLiteral("Code"))->AsString(), QStringLiteral("ES"));
    EXPECT_EQ(list->RowCount(), 5);
    EXPECT_EQ(list->SelectedRow(), 4);
    Key(Qt::Key_Escape);

    // Standing on the key's row, the list reads the rows around it without moving.
    Key(Qt::Key_F4);
    EXPECT_EQ(scrolls, 1);
    EXPECT_EQ(list->RowCount(), 5);
    EXPECT_EQ(list->SelectedRow(), 4);
    Key(Qt::Key_Up);
    EXPECT_EQ(list->SelectedRow(), 3) << "Peru";
    Key(Qt::Key_Escape);

    // A key the list lacks: the list starts at the first row with none highlighted.
    People->Edit();
    People->FieldByName(QStringLiteral("CountryCode"))->SetAsString(QStringLiteral("XX"));
    Key(Qt::Key_F4);
    EXPECT_EQ(list->SelectedRow(), -1);
    EXPECT_EQ(Country->FieldByName(QStringLiteral("Code"))->AsString(), QStringLiteral("FR"));
    Key(Qt::Key_Down);
    EXPECT_EQ(list->KeyValue(), QVariant(QStringLiteral("FR"))) << "the first step selects it";
    Key(Qt::Key_Escape);
    People->Cancel();
}

TEST_F(DBLookup, TheOpenListMovesUnderTheComboAndItsTextIsReadAgainAsItCloses) {
    BindToCode();
    ShowFocused();
    Key(Qt::Key_F4);
    Key(Qt::Key_Up);
    Key(Qt::Key_Up);
    QTest::keyClicks(Combo->Widget(), QStringLiteral("f"));
    EXPECT_EQ(Combo->DataList()->KeyValue(), QVariant(QStringLiteral("FR")));
    EXPECT_EQ(Combo->Text(), QStringLiteral("Spain")) << "the list moved, not the key";
    // The key's row renamed while the list is down.
    ASSERT_TRUE(Country->Locate(QStringLiteral("Code"), QStringLiteral("ES"), {}));
    Country->Edit();
    Country->FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("Espana"));
    Country->Post();
    Key(Qt::Key_Escape);
    EXPECT_FALSE(Combo->DroppedDown());
    EXPECT_EQ(Combo->Text(), QStringLiteral("Espana"));
    EXPECT_EQ(Code(), QStringLiteral("ES"));
    EXPECT_EQ(People->State(), dsBrowse);
}

TEST_F(DBLookup, TheListIsPlacedAndSizedByTheDropDownProperties) {
    BindToCode();
    Form.SetBounds(300, 100, 400, 200); // room on the left for a list wider than the combo
    ShowFocused();
    Combo->SetDropDownRows(3);
    Combo->SetDropDownWidth(300);
    Combo->SetDropDownAlign(daRight);
    Key(Qt::Key_F4);
    TPopupDataList* list = Combo->DataList();
    const QRect combo(Combo->Widget()->mapToGlobal(QPoint(0, 0)), Combo->Widget()->size());
    ASSERT_NE(ShownWindow(list), nullptr);
    const QRect rect = ShownWindow(list)->geometry();
    EXPECT_EQ(rect.width(), 300);
    EXPECT_EQ(rect.right(), combo.right());
    EXPECT_EQ(rect.top(), combo.bottom() + 1);
    EXPECT_EQ(list->RowCount(), 3);
    EXPECT_EQ(rect.height(), 3 * list->RowHeight() + 2);
    EXPECT_EQ(list->SelectedRow(), 2) << "the window ends with Spain, the last country";
    for (int i = 0; i < 4; ++i)
        Key(Qt::Key_Up); // up to France: the window scrolls back
    EXPECT_EQ(list->SelectedRow(), 0);
    EXPECT_EQ(list->KeyValue(), QVariant(QStringLiteral("FR")));
    Key(Qt::Key_Escape);

    Combo->SetDropDownWidth(0);
    Combo->SetDropDownAlign(daLeft);
    Key(Qt::Key_F4);
    ASSERT_NE(ShownWindow(list), nullptr);
    EXPECT_EQ(ShownWindow(list)->geometry().left(), combo.left());
    EXPECT_EQ(ShownWindow(list)->width(), combo.width());
    EXPECT_FALSE(Combo->Widget()->grab().isNull());
    Key(Qt::Key_Escape);

    // The list takes the combo's font: a larger one makes taller rows and a taller list.
    const int rowHeight = list->RowHeight();
    Combo->Font()->SetSize(2 * Combo->Font()->Size());
    Key(Qt::Key_F4);
    EXPECT_GT(list->RowHeight(), rowHeight);
    ASSERT_NE(ShownWindow(list), nullptr);
    EXPECT_EQ(ShownWindow(list)->height(), 3 * list->RowHeight() + 2);
}

TEST_F(DBLookup, EscapeAndLeavingCloseWithoutAChange) {
    BindToCode();
    ShowFocused();
    Key(Qt::Key_Down, Qt::AltModifier);
    Key(Qt::Key_Up);
    EXPECT_EQ(Combo->DataList()->KeyValue(), QVariant(QStringLiteral("PE")));
    Key(Qt::Key_Escape);
    EXPECT_FALSE(Combo->DroppedDown());
    EXPECT_EQ(Code(), QStringLiteral("ES"));
    EXPECT_EQ(People->State(), dsBrowse);
    EXPECT_EQ(Form.ModalResult(), mrNone);

    // A click on the combo opens the list, a click on a row chooses it.
    QTest::mouseClick(Combo->Widget(), Qt::LeftButton);
    ASSERT_TRUE(Combo->DroppedDown());
    TPopupDataList* list = Combo->DataList();
    const int rowHeight = list->RowHeight();
    ASSERT_NE(ShownWindow(list), nullptr);
    QTest::mouseClick(ShownWindow(list), Qt::LeftButton, {},
                      QPoint(5, 1 + rowHeight + rowHeight / 2));
    EXPECT_FALSE(Combo->DroppedDown());
    EXPECT_EQ(Code(), QStringLiteral("IT"));
    People->Cancel();

    // Another control taking the focus closes the list without accepting.
    auto* other = new TDBLookupComboBox(&Form);
    other->SetParent(&Form);
    other->SetTop(50);
    Key(Qt::Key_F4);
    Key(Qt::Key_Home);
    ASSERT_TRUE(Combo->DroppedDown());
    other->SetFocus();
    ProcessEvents();
    EXPECT_FALSE(Combo->DroppedDown());
    EXPECT_EQ(People->State(), dsBrowse);
}

TEST_F(DBLookup, ClosedArrowsStepThroughTheList) {
    BindToCode();
    ShowFocused();
    Key(Qt::Key_Down); // Spain is the last country
    EXPECT_EQ(People->State(), dsBrowse);
    Key(Qt::Key_Up);
    EXPECT_EQ(Code(), QStringLiteral("PE"));
    EXPECT_EQ(People->State(), dsEdit);
    Key(Qt::Key_Up);
    EXPECT_EQ(Combo->Text(), QStringLiteral("Japan"));
    People->Cancel();
    People->Next();
    People->Next(); // no country yet: the first one
    Key(Qt::Key_Down);
    EXPECT_EQ(Code(), QStringLiteral("FR"));
}

TEST_F(DBLookup, ReadOnlyAndAutoEditOffRefuseChanges) {
    BindToCode();
    ShowFocused();
    Combo->SetReadOnly(true);
    EXPECT_FALSE(Combo->CanModify());
    Key(Qt::Key_Up);
    QTest::keyClicks(Combo->Widget(), QStringLiteral("it"));
    Key(Qt::Key_Down, Qt::AltModifier);
    Key(Qt::Key_Up);
    Key(Qt::Key_Return);
    EXPECT_EQ(Code(), QStringLiteral("ES"));
    EXPECT_EQ(People->State(), dsBrowse);

    Combo->SetReadOnly(false);
    PeopleSource->SetAutoEdit(false);
    Key(Qt::Key_Up);
    EXPECT_EQ(Code(), QStringLiteral("ES"));
    EXPECT_EQ(People->State(), dsBrowse);
    People->Edit(); // editing started elsewhere is used
    Key(Qt::Key_Up);
    EXPECT_EQ(Code(), QStringLiteral("PE"));
    People->Cancel();

    People->FieldByName(QStringLiteral("CountryCode"))->SetReadOnly(true);
    EXPECT_FALSE(Combo->CanModify());
}

TEST_F(DBLookup, TypingSearchesTheShownListField) {
    BindToCode();
    ShowFocused();
    QTest::keyClicks(Combo->Widget(), QStringLiteral("fr"));
    EXPECT_EQ(Code(), QStringLiteral("FR"));
    EXPECT_EQ(Combo->SearchText(), QStringLiteral("fr"));
    QTest::keyClicks(Combo->Widget(), QStringLiteral("x")); // no country starts with "frx"
    EXPECT_EQ(Combo->SearchText(), QStringLiteral("fr"));
    EXPECT_EQ(Code(), QStringLiteral("FR"));
    Key(Qt::Key_Backspace);
    Key(Qt::Key_Backspace);
    QTest::keyClicks(Combo->Widget(), QStringLiteral("J"));
    EXPECT_EQ(Code(), QStringLiteral("JP"));

    // With the list open typing moves the highlight; Enter takes it.
    Key(Qt::Key_F4);
    QTest::keyClicks(Combo->Widget(), QStringLiteral("pe"));
    EXPECT_EQ(Combo->DataList()->KeyValue(), QVariant(QStringLiteral("PE")));
    EXPECT_EQ(Code(), QStringLiteral("JP"));
    Key(Qt::Key_Down); // navigation ends the search
    EXPECT_EQ(Combo->DataList()->SearchText(), QString());
    Key(Qt::Key_Return);
    EXPECT_EQ(Code(), QStringLiteral("ES"));

    // The search follows ListFieldIndex.
    Combo->SetListField(QStringLiteral("Name;Continent"));
    Combo->SetListFieldIndex(1);
    QTest::keyClicks(Combo->Widget(), QStringLiteral("am"));
    EXPECT_EQ(Code(), QStringLiteral("PE"));
}

TEST_F(DBLookup, UnboundComboKeepsItsOwnKeyAndSearchesNumbersByDigits) {
    Combo->SetListSource(PeopleSource);
    Combo->SetKeyField(QStringLiteral("Id"));
    Combo->SetListField(QStringLiteral("Id;Name"));
    People->Open();
    Combo->SetKeyValue(99); // not in the list
    EXPECT_EQ(Combo->Text(), QString());
    Combo->SetKeyValue(2);
    EXPECT_EQ(Combo->Text(), QStringLiteral("2"));
    ShowFocused();
    QTest::keyClicks(Combo->Widget(), QStringLiteral("x4"));
    EXPECT_EQ(Combo->SearchText(), QStringLiteral("4"));
    EXPECT_EQ(Combo->KeyValue().toInt(), 4);
    QTest::keyClicks(Combo->Widget(), QStringLiteral("0")); // no 40, but a number may grow
    EXPECT_EQ(Combo->SearchText(), QStringLiteral("40"));
    EXPECT_EQ(Combo->KeyValue().toInt(), 4);
    Combo->SetListFieldIndex(1);
    EXPECT_EQ(Combo->Text(), QStringLiteral("Dan"));
    Key(Qt::Key_Up);
    EXPECT_EQ(Combo->Text(), QStringLiteral("Cid"));
}

TEST_F(DBLookup, SeveralListFieldsAreColumns) {
    BindToCode(QStringLiteral("Name;Continent;Code"));
    Country->FieldByName(QStringLiteral("Name"))->SetDisplayWidth(10);
    ShowFocused();
    Key(Qt::Key_F4);
    TPopupDataList* list = Combo->DataList();
    ASSERT_EQ(list->ListFields().size(), 3);
    EXPECT_EQ(list->ListFields()[1]->FieldName(), QStringLiteral("Continent"));
    EXPECT_EQ(Combo->Text(), QStringLiteral("Spain"));

    // Column lines stand where the fields' widths put them, in every unselected row.
    ASSERT_NE(ShownWindow(list), nullptr);
    const QImage image = ShownWindow(list)->grab().toImage();
    const int zero = QFontMetrics(list->Font()->ToQFont()).horizontalAdvance(QLatin1Char('0'));
    const int first = 1 + 10 * zero + 4;
    const int second = first + 1 + 12 * zero + 4;
    const int y = 1 + list->RowHeight() / 2;
    const QColor line = ColorToQColor(clBtnFace);
    EXPECT_EQ(image.pixelColor(first, y), line);
    EXPECT_EQ(image.pixelColor(second, y), line);
    EXPECT_NE(image.pixelColor(first - 3, y), line);
    // The selected row (Spain, the last) is highlighted.
    const int last = 1 + 4 * list->RowHeight() + list->RowHeight() / 2;
    EXPECT_EQ(image.pixelColor(first - 3, last), ColorToQColor(clHighlight));
    Key(Qt::Key_Escape);
}

TEST_F(DBLookup, ATextWiderThanItsColumnIsCutInsideIt) {
    BindToCode(QStringLiteral("Name;Code"));
    Country->FieldByName(QStringLiteral("Name"))->SetDisplayWidth(2);
    ShowFocused();
    Key(Qt::Key_F4);
    TPopupDataList* list = Combo->DataList();
    ASSERT_NE(ShownWindow(list), nullptr);
    const int zero = QFontMetrics(list->Font()->ToQFont()).horizontalAdvance(QLatin1Char('0'));
    const int line = 1 + 2 * zero + 4; // the first column's right line
    const int height = list->RowHeight();
    // Whether the row's first cell has ink in its text area, and whether any beyond it.
    const auto inked = [&](const QImage& Image, int Row, int From, int To) {
        const QColor background =
            ColorToQColor(Row == list->SelectedRow() ? clHighlight : list->Color());
        for (int y = 1 + Row * height; y < 1 + (Row + 1) * height; ++y)
            for (int x = From; x <= To; ++x)
                if (Image.pixelColor(x, y) != background)
                    return true;
        return false;
    };
    for (int pass = 0; pass < 2; ++pass) {
        const QImage image = ShownWindow(list)->grab().toImage();
        for (int row = 0; row < list->RowCount(); ++row) {
            EXPECT_TRUE(inked(image, row, 3, line - 3)) << "row " << row << " shows its text";
            EXPECT_FALSE(inked(image, row, line - 2, line - 1)) << "row " << row;
        }
        Key(Qt::Key_Up); // the same rows again, the highlight moved
    }
    Key(Qt::Key_Escape);
}

TEST_F(DBLookup, LookupFieldGivesTheListAndKey) {
    TField* countryName = AddCountryNameField();
    TField* code = People->FieldByName(QStringLiteral("CountryCode"));
    Combo->SetDataSource(PeopleSource);
    Combo->SetDataField(QStringLiteral("CountryName"));
    EXPECT_TRUE(Combo->LookupMode());
    EXPECT_EQ(Combo->ListDataSet(), Country);
    EXPECT_EQ(Combo->KeyFieldInUse(), QStringLiteral("Code"));
    EXPECT_EQ(Combo->Text(), QStringLiteral("Spain"));
    EXPECT_EQ(Combo->KeyValue(), QVariant(QStringLiteral("ES")));

    ShowFocused();
    Key(Qt::Key_F4);
    Key(Qt::Key_Home);
    Key(Qt::Key_Return);
    EXPECT_EQ(People->State(), dsEdit);
    EXPECT_EQ(code->AsString(), QStringLiteral("FR")) << "the key goes into KeyFields";
    EXPECT_EQ(countryName->AsString(), QStringLiteral("France"));
    EXPECT_EQ(Combo->Text(), QStringLiteral("France"));
    People->Post();

    Combo->SetListField(QStringLiteral("Continent"));
    EXPECT_EQ(Combo->Text(), QStringLiteral("Europe"));
    Combo->SetDataField(QStringLiteral("CountryCode"));
    EXPECT_FALSE(Combo->LookupMode());
    EXPECT_FALSE(Combo->ListActive()) << "no ListSource or KeyField of its own";
}

TEST_F(DBLookup, RemovedSourcesAndDatasetsAreForgotten) {
    BindToCode();
    ShowFocused();
    Key(Qt::Key_F4);
    ASSERT_TRUE(Combo->DroppedDown());
    delete CountrySource;
    EXPECT_EQ(Combo->ListSource(), nullptr);
    EXPECT_FALSE(Combo->ListActive());
    EXPECT_FALSE(Combo->DroppedDown());
    EXPECT_EQ(Combo->Text(), QString());
    Key(Qt::Key_F4);
    Key(Qt::Key_Up);
    EXPECT_FALSE(Combo->DroppedDown());

    delete PeopleSource;
    EXPECT_EQ(Combo->DataSource(), nullptr);
    EXPECT_EQ(Combo->Field(), nullptr);

    // In lookup mode the list dataset itself may go.
    auto* source = new TDataSource(&Form);
    source->SetDataSet(People);
    AddCountryNameField();
    Combo->SetDataSource(source);
    Combo->SetDataField(QStringLiteral("CountryName"));
    ASSERT_TRUE(Combo->ListActive());
    delete Country;
    EXPECT_FALSE(Combo->ListActive());
    EXPECT_EQ(Combo->ListDataSet(), nullptr);
}

TEST_F(DBLookup, TheListFindsItsFieldsAgainWhenTheyOrTheirNamesChange) {
    BindToCode();
    ShowFocused();
    Key(Qt::Key_F4);
    TPopupDataList* list = Combo->DataList();
    ASSERT_EQ(list->SearchField(), Country->FieldByName(QStringLiteral("Name")));
    Key(Qt::Key_Escape);

    // Closed and opened again, the list dataset has new fields.
    Country->Close();
    Country->Open();
    Key(Qt::Key_F4);
    ASSERT_TRUE(Combo->DroppedDown());
    EXPECT_EQ(list->SearchField(), Country->FieldByName(QStringLiteral("Name")));
    EXPECT_EQ(list->ListKeyValue(), QVariant(QStringLiteral("ES")));
    Key(Qt::Key_Escape);

    // Another list field, and the same dataset shown through another source.
    Combo->SetListField(QStringLiteral("Continent"));
    auto* other = new TDataSource(&Form);
    other->SetDataSet(Country);
    Combo->SetListSource(other);
    Key(Qt::Key_F4);
    EXPECT_EQ(list->SearchField(), Country->FieldByName(QStringLiteral("Continent")));
    Key(Qt::Key_Escape);
    EXPECT_EQ(Combo->Text(), QStringLiteral("Europe"));
}

TEST_F(DBLookup, ReadFromAFormFile) {
    RegisterTestClasses();
    RegisterDbClasses();
    const QString text = QStringLiteral(R"(object LookupForm: TForm
  object Countries: TTable
    DatabaseName = '%1'
    TableName = 'Country'
    IndexFieldNames = 'Name'
  end
  object CountriesSource: TDataSource
    DataSet = Countries
  end
  object Folks: TTable
    DatabaseName = '%1'
    TableName = 'People'
  end
  object FolksSource: TDataSource
    DataSet = Folks
  end
  object CountryCombo: TDBLookupComboBox
    Left = 8
    Top = 8
    Width = 160
    DataSource = FolksSource
    DataField = 'CountryCode'
    ListSource = CountriesSource
    KeyField = 'Code'
    ListField = 'Name;Continent'
    ListFieldIndex = 1
    DropDownRows = 3
    DropDownAlign = daRight
  end
end
)")
                             .arg(Alias);
    std::unique_ptr<TComponent> form(
        ReadComponentFromText(text, QStringLiteral("lookup.form"), nullptr, nullptr));
    auto* combo =
        qobject_cast<TDBLookupComboBox*>(form->FindComponent(QStringLiteral("CountryCombo")));
    ASSERT_TRUE(combo);
    EXPECT_EQ(combo->DropDownRows(), 3);
    EXPECT_EQ(combo->DropDownAlign(), daRight);
    EXPECT_EQ(combo->ListFieldIndex(), 1);
    qobject_cast<TTable*>(form->FindComponent(QStringLiteral("Countries")))->Open();
    qobject_cast<TTable*>(form->FindComponent(QStringLiteral("Folks")))->Open();
    EXPECT_EQ(combo->Text(), QStringLiteral("Europe"));
    EXPECT_TRUE(WriteComponentToText(form.get()).contains(QStringLiteral("KeyField = 'Code'")));
}

} // namespace

TEST_F(DBLookup, OnChangeFiresForTheUsersChoicesOnly) {
    BindToCode();
    ShowFocused();
    QStringList changes; // the text shown when each change fired
    Combo->SetOnChange(TNotifyEvent([&](TObject*) { changes << Combo->Text(); }));

    Key(Qt::Key_Up); // Spain to Peru
    Key(Qt::Key_F4);
    Key(Qt::Key_Up);
    Key(Qt::Key_Return); // Japan
    Key(Qt::Key_F4);
    Key(Qt::Key_Return); // Japan again: no change
    QTest::keyClicks(Combo->Widget(), QStringLiteral("fr"));
    EXPECT_EQ(changes, QStringList({"Peru", "Japan", "France"}));

    Key(Qt::Key_F4);
    Key(Qt::Key_Down);
    Key(Qt::Key_Escape);
    People->Cancel();
    People->Next(); // the record's key is shown, nothing picked
    Combo->SetListFieldIndex(0);
    EXPECT_EQ(changes.size(), 3) << "closing without accepting or moving the record";
}

TEST_F(DBLookup, DroppingDownAndPagingPostOnlyTheRepaintsAndWarnNothing) {
    BindToCode();
    ShowFocused();
    Key(Qt::Key_F4); // the list's window is made once and kept
    Key(Qt::Key_Escape);
    ProcessEvents();
    const auto isQueued = [](const QString& Event) {
        return Event.startsWith(QStringLiteral("queued call")) ||
               Event.startsWith(QStringLiteral("timer")) ||
               Event.startsWith(QStringLiteral("layout request"));
    };
    TPostedEvents posted;
    for (int round = 0; round < 2; ++round) {
        Key(Qt::Key_F4);
        ASSERT_TRUE(Combo->DroppedDown());
        EXPECT_EQ(Joined(posted.Messages), "") << "the window is shown without a warning";
        QWidget* window = ShownWindow(Combo->DataList());
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(window->windowType(), Qt::ToolTip);
        EXPECT_TRUE(Combo->Focused());
        EXPECT_EQ(QApplication::activeWindow(), Form.Widget())
            << "the list's window is not activated";
        ProcessEvents();
        // Showing the window repaints it (Qt posts two requests for that) and the combo's face.
        const QStringList dropped = posted.Take();
        EXPECT_LE(dropped.size(), 3) << Joined(dropped);
        EXPECT_TRUE(std::none_of(dropped.begin(), dropped.end(), isQueued)) << Joined(dropped);

        Key(Qt::Key_PageUp);
        EXPECT_EQ(Joined(posted.Messages), "");
        ProcessEvents();
        EXPECT_EQ(Joined(posted.Take()), "update request to TPopupDataList")
            << "a page repaints the list alone";
        Key(Qt::Key_Escape);
        ProcessEvents();
        posted.Take();
    }
}
