#include "TestForms.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>
#include <rtl/ClassRegistry.h>
#include <rtl/GlobalRoots.h>
#include <rtl/Streaming.h>
#include <ui/Application.h>
#include <ui/ExtCtrls.h>
#include <ui/Screen.h>
#include <ui/StdCtrls.h>

namespace {

class FormFiles : public ::testing::Test {
protected:
    void SetUp() override { RegisterTestClasses(); }
};

using Forms = FormFiles;

QString NameOf(TObject* Object) {
    auto* component = qobject_cast<TComponent*>(Object);
    return component ? component->Name() : QStringLiteral("(none)");
}

} // namespace

TEST_F(FormFiles, ControlsNestInTheirParentsAndHandlersBindByName) {
    TTestDialog dialog;
    EXPECT_EQ(dialog.Name(), QStringLiteral("TestDialog"));
    EXPECT_EQ(dialog.Caption(), QStringLiteral("Test dialog"));
    EXPECT_EQ(dialog.BorderStyle(), bsDialog);
    EXPECT_EQ(dialog.Log, QStringList({"create TestDialog"}));
    ASSERT_TRUE(dialog.NameEdit && dialog.Notes && dialog.OkButton && dialog.NameLabel);

    EXPECT_EQ(dialog.TopPanel->Parent(), &dialog);
    EXPECT_EQ(dialog.NameEdit->Parent(), dialog.TopPanel);
    EXPECT_EQ(dialog.NameEdit->Owner(), &dialog);
    EXPECT_EQ(dialog.Notes->Parent(), dialog.ClientPanel);
    EXPECT_EQ(dialog.NameLabel->FocusControl(), dialog.NameEdit) << "a forward reference";
    EXPECT_EQ(dialog.ActiveControl(), dialog.NameEdit);
    EXPECT_EQ(dialog.Notes->Lines()->ToStringList(), QStringList({"first line", "second line"}));

    // Aligned in the 400 x 300 client area, the memo inside the lowered bevel and border.
    EXPECT_EQ(dialog.ClientWidth(), 400);
    EXPECT_EQ(dialog.TopPanel->BoundsRect(), QRect(0, 0, 400, 50));
    EXPECT_EQ(dialog.BottomPanel->BoundsRect(), QRect(0, 260, 400, 40));
    EXPECT_EQ(dialog.ClientPanel->BoundsRect(), QRect(0, 50, 400, 210));
    EXPECT_EQ(dialog.Notes->BoundsRect(), QRect(5, 5, 390, 200));

    EXPECT_EQ(dialog.OkButton->OnClick().MethodName(), QByteArray("OkButtonClick"));
    dialog.Show();
    QTest::mouseClick(dialog.OkButton->Widget(), Qt::LeftButton);
    EXPECT_EQ(dialog.Log.last(), QStringLiteral("ok clicked"));
    EXPECT_EQ(dialog.ModalResult(), mrOk);
}

TEST_F(FormFiles, AnInheritedFormAddsToItsAncestorsForm) {
    TTestDialogMore dialog;
    EXPECT_EQ(dialog.Name(), QStringLiteral("TestDialogMore"));
    EXPECT_EQ(dialog.Caption(), QStringLiteral("More"));
    EXPECT_EQ(dialog.Log, QStringList({"create TestDialogMore"}));
    ASSERT_TRUE(dialog.HelpCheck && dialog.OkButton);
    EXPECT_EQ(dialog.HelpCheck->Parent(), dialog.BottomPanel);
    EXPECT_TRUE(dialog.HelpCheck->Checked());
    EXPECT_EQ(dialog.BottomPanel->ControlCount(), 3);

    dialog.HelpCheck->SetChecked(false);
    EXPECT_EQ(dialog.Log.last(), QStringLiteral("help off"));
}

TEST_F(FormFiles, InstancesOfOneFormGetUniqueNames) {
    TComponent owner;
    auto* first = new TTestDialog(&owner);
    auto* second = new TTestDialog(&owner);
    EXPECT_EQ(first->Name(), QStringLiteral("TestDialog"));
    EXPECT_EQ(second->Name(), QStringLiteral("TestDialog_1"));
    EXPECT_EQ(GlobalRoots::Find(QStringLiteral("TestDialog_1")), second);
}

TEST_F(FormFiles, DataModulesReadTheirFileAndAreGlobalRoots) {
    const int before = Screen()->DataModuleCount();
    auto data = std::make_unique<TTestData>();
    EXPECT_EQ(data->Created, 1);
    ASSERT_TRUE(data->FindComponent(QStringLiteral("Tagged")));
    EXPECT_EQ(data->FindComponent(QStringLiteral("Tagged"))->Tag(), 7);
    EXPECT_EQ(GlobalRoots::Find(QStringLiteral("TestData")), data.get());
    ASSERT_EQ(Screen()->DataModuleCount(), before + 1);
    EXPECT_EQ(Screen()->DataModules(before), data.get());

    data.reset();
    EXPECT_EQ(Screen()->DataModuleCount(), before);
    EXPECT_EQ(GlobalRoots::Find(QStringLiteral("TestData")), nullptr);
}

TEST_F(FormFiles, PrototypesSkipTheFormFile) {
    const int before = Screen()->FormCount();
    std::unique_ptr<TComponent> prototype(CreatePrototype(&TTestDialog::staticMetaObject));
    auto* dialog = qobject_cast<TTestDialog*>(prototype.get());
    ASSERT_TRUE(dialog);
    EXPECT_EQ(dialog->ComponentCount(), 0);
    EXPECT_TRUE(dialog->Log.isEmpty());
    EXPECT_EQ(Screen()->FormCount(), before);
}

TEST_F(FormFiles, AWrittenFormReadsBackWithItsControls) {
    TForm form;
    form.SetName(QStringLiteral("Built"));
    form.SetCaption(QStringLiteral("Built in code"));
    form.SetClientWidth(250);
    auto* panel = new TPanel(&form);
    panel->SetName(QStringLiteral("Panel1"));
    panel->SetParent(&form);
    panel->SetAlign(alLeft);
    auto* edit = new TEdit(&form);
    edit->SetName(QStringLiteral("Edit1"));
    edit->SetParent(panel);
    edit->SetBounds(4, 5, 60, 21);
    edit->SetText(QStringLiteral("hello"));
    edit->Font()->SetStyle({fsBold});

    const QString text = WriteComponentToText(&form);
    EXPECT_TRUE(text.contains(QStringLiteral("ClientWidth = 250"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("\n  Width ="))) << text.toStdString();
    const qsizetype panelAt = text.indexOf(QStringLiteral("object Panel1: TPanel"));
    const qsizetype editAt = text.indexOf(QStringLiteral("object Edit1: TEdit"));
    ASSERT_GE(panelAt, 0);
    ASSERT_GT(editAt, panelAt);
    EXPECT_FALSE(text.mid(panelAt, editAt - panelAt).contains(QStringLiteral("Font")))
        << "a font that follows the parent is not stored";
    EXPECT_GT(text.indexOf(QStringLiteral("end"), editAt),
              text.indexOf(QStringLiteral("Font.Style"), editAt));

    std::unique_ptr<TComponent> copy(
        ReadComponentFromText(text, QStringLiteral("built.form"), nullptr, nullptr));
    auto* read = qobject_cast<TForm*>(copy.get());
    ASSERT_TRUE(read);
    auto* readPanel = qobject_cast<TPanel*>(read->FindComponent(QStringLiteral("Panel1")));
    auto* readEdit = qobject_cast<TEdit*>(read->FindComponent(QStringLiteral("Edit1")));
    ASSERT_TRUE(readPanel && readEdit);
    EXPECT_EQ(read->Caption(), QStringLiteral("Built in code"));
    EXPECT_EQ(readEdit->Parent(), readPanel);
    EXPECT_EQ(readEdit->BoundsRect(), QRect(4, 5, 60, 21));
    EXPECT_EQ(readEdit->Text(), QStringLiteral("hello"));
    EXPECT_EQ(readEdit->Font()->Style(), TFontStyles{fsBold});
    EXPECT_EQ(readPanel->BoundsRect(), QRect(0, 0, 185, 240));
}

TEST_F(Forms, CloseAsksTheFormWhatToDo) {
    QPointer<TTestDialog> dialog = new TTestDialog;
    QStringList log;
    dialog->SetOnHide(TNotifyEvent([&log](TObject*) { log << QStringLiteral("hide"); }));
    dialog->SetOnShow(TNotifyEvent([&log](TObject*) { log << QStringLiteral("show"); }));
    TCloseAction chosen = caHide;
    dialog->SetOnClose(TCloseEvent([&](TObject*, TCloseAction& Action) {
        log << QStringLiteral("close %1").arg(EnumName(Action));
        Action = chosen;
    }));
    dialog->Show();

    dialog->AllowClose = false;
    dialog->Close();
    EXPECT_TRUE(dialog->Visible());
    EXPECT_EQ(dialog->Log.last(), QStringLiteral("close query"));

    // The window system's close request goes the same way.
    dialog->Widget()->close();
    EXPECT_TRUE(dialog->Widget()->isVisible());
    EXPECT_EQ(dialog->Log.count(QStringLiteral("close query")), 2);

    dialog->AllowClose = true;
    chosen = caNone;
    dialog->Close();
    EXPECT_TRUE(dialog->Visible());

    chosen = caHide;
    dialog->Close();
    EXPECT_FALSE(dialog->Visible());
    EXPECT_FALSE(dialog->Widget()->isVisible());
    EXPECT_EQ(log, QStringList({"show", "close caHide", "close caHide", "hide"}));

    dialog->Show();
    chosen = caFree;
    dialog->Close();
    ASSERT_TRUE(dialog) << "released later, on the event loop";
    ProcessEvents();
    EXPECT_FALSE(dialog);
}

TEST_F(Forms, BorderStyleAndPositionShapeTheWindow) {
    TForm form;
    form.SetBorderStyle(bsDialog);
    form.SetPosition(poScreenCenter);
    form.SetClientWidth(200);
    form.SetClientHeight(100);
    form.Show();
    QWidget* window = form.Widget();
    EXPECT_EQ(window->windowType(), Qt::Dialog);
    EXPECT_EQ(window->minimumSize(), QSize(200, 100)) << "a dialog border is not sizeable";
    EXPECT_EQ(window->maximumSize(), QSize(200, 100));
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(form.Left(), screen.x() + (screen.width() - 200) / 2);
    EXPECT_EQ(form.Top(), screen.y() + (screen.height() - 100) / 2);
    EXPECT_EQ(window->pos(), QPoint(form.Left(), form.Top()));

    form.SetBorderStyle(bsSizeable);
    EXPECT_EQ(window->windowType(), Qt::Window);
    EXPECT_TRUE(window->isVisible());
    form.SetWindowState(wsMaximized);
    EXPECT_TRUE(window->windowState() & Qt::WindowMaximized);
}

TEST_F(Forms, ScreenListsTheForms) {
    const int before = Screen()->FormCount();
    auto form = std::make_unique<TForm>();
    ASSERT_EQ(Screen()->FormCount(), before + 1);
    EXPECT_EQ(Screen()->Forms(before), form.get());
    form.reset();
    EXPECT_EQ(Screen()->FormCount(), before);
    EXPECT_THROW(Screen()->Forms(before), EListError);
}

TEST_F(Forms, TheScreenCursorOverridesEveryWindow) {
    EXPECT_GT(Screen()->Width(), 0);
    EXPECT_GT(Screen()->Height(), 0);
    Screen()->SetCursor(crHourGlass);
    ASSERT_TRUE(QGuiApplication::overrideCursor());
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    Screen()->SetCursor(crSQLWait);
    Screen()->SetCursor(crHandPoint);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::PointingHandCursor);
    Screen()->SetCursor(crDefault);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(Forms, TheActiveFormFollowsWindowActivation) {
    TForm first;
    first.SetName(QStringLiteral("First"));
    TForm second;
    second.SetName(QStringLiteral("Second"));
    auto* edit = new TEdit(&second);
    edit->SetName(QStringLiteral("SecondEdit"));
    edit->SetParent(&second);
    first.Show();
    second.Show();
    ProcessEvents();

    QStringList log;
    auto logger = [&log](const char* What) {
        return TNotifyEvent([&log, What](TObject* Sender) {
            log << QStringLiteral("%1 %2").arg(QLatin1String(What), NameOf(Sender));
        });
    };
    for (TForm* form : {&first, &second}) {
        form->SetOnActivate(logger("activate"));
        form->SetOnDeactivate(logger("deactivate"));
    }
    Screen()->SetOnActiveFormChange(TNotifyEvent([&log](TObject*) {
        log << QStringLiteral("change %1").arg(NameOf(Screen()->ActiveForm()));
    }));

    Activate(&first);
    log.clear();
    Activate(&second);
    EXPECT_EQ(log, QStringList({"deactivate First", "activate Second", "change Second"}));
    EXPECT_EQ(Screen()->ActiveForm(), &second);
    EXPECT_TRUE(second.Active());
    EXPECT_FALSE(first.Active());
    EXPECT_EQ(Screen()->ActiveControl(), edit) << "the first control in tab order got the focus";

    log.clear();
    Activate(&first);
    EXPECT_EQ(log, QStringList({"deactivate Second", "activate First", "change First"}));

    log.clear();
    first.Hide();
    EXPECT_EQ(log.first(), QStringLiteral("deactivate First"));
    EXPECT_EQ(log.at(1), QStringLiteral("change (none)"));
    Screen()->SetOnActiveFormChange(TNotifyEvent());
}

TEST_F(Forms, TheApplicationRunsUntilTheMainFormCloses) {
    TForm* main = Application()->CreateForm<TForm>();
    TForm* other = nullptr;
    Application()->CreateForm(&other);
    EXPECT_EQ(Application()->MainForm(), main);
    EXPECT_EQ(other->Owner(), Application());

    QTimer::singleShot(0, main, [main] { main->Close(); });
    Application()->Run();
    EXPECT_TRUE(Application()->Terminated());
    EXPECT_TRUE(main->Visible()) << "closing the main form ends the program instead";

    delete main;
    EXPECT_EQ(Application()->MainForm(), nullptr);
    delete other;
}
