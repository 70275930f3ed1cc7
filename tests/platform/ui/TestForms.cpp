#include "TestForms.h"

#include <QApplication>
#include <rtl/ClassRegistry.h>
#include <ui/ExtCtrls.h>
#include <ui/StdCtrls.h>
#include <ui/UiClasses.h>

namespace {
template <class T> T* Find(TComponent* Root, const char* Name) {
    return qobject_cast<T*>(Root->FindComponent(QString::fromLatin1(Name)));
}
} // namespace

TTestDialog::TTestDialog(TComponent* AOwner) : TTestDialog(AOwner, TInherited{}) {
    InitForm();
    FindComponents();
}

TTestDialog::TTestDialog(TComponent* AOwner, TInherited) : TForm(AOwner) {}

void TTestDialog::FindComponents() {
    TopPanel = Find<TPanel>(this, "TopPanel");
    BottomPanel = Find<TPanel>(this, "BottomPanel");
    ClientPanel = Find<TPanel>(this, "ClientPanel");
    NameLabel = Find<TLabel>(this, "NameLabel");
    NameEdit = Find<TEdit>(this, "NameEdit");
    OkButton = Find<TButton>(this, "OkButton");
    CancelButton = Find<TButton>(this, "CancelButton");
    Notes = Find<TMemo>(this, "Notes");
}

void TTestDialog::FormCreate(TObject* Sender) {
    Log << QStringLiteral("create %1").arg(qobject_cast<TComponent*>(Sender)->Name());
}

void TTestDialog::OkButtonClick(TObject*) {
    Log << QStringLiteral("ok clicked");
}

void TTestDialog::FormCloseQuery(TObject*, bool& CanClose) {
    Log << QStringLiteral("close query");
    CanClose = AllowClose;
}

TTestDialogMore::TTestDialogMore(TComponent* AOwner) : TTestDialog(AOwner, TInherited{}) {
    InitForm();
    FindComponents();
    HelpCheck = Find<TCheckBox>(this, "HelpCheck");
}

void TTestDialogMore::HelpCheckClick(TObject*) {
    Log << QStringLiteral("help %1").arg(HelpCheck && HelpCheck->Checked() ? "on" : "off");
}

TTestData::TTestData(TComponent* AOwner) : TDataModule(AOwner) {
    InitForm();
}

void TTestData::DataCreate(TObject*) {
    ++Created;
}

void RegisterTestClasses() {
    RegisterUiClasses();
    RegisterClass<TComponent>();
    RegisterClass<TTestDialog>();
    RegisterClass<TTestDialogMore>();
    RegisterClass<TTestData>();
}

void ProcessEvents() {
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

void Activate(TForm* Form) {
    QApplication::setActiveWindow(Form->Widget());
    ProcessEvents();
}

QWidget* ShownWindow(const TControl* Control) {
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible() && TWidgetLink::ControlOf(window) == Control)
            return window;
    return nullptr;
}
