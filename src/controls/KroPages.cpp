#include "KroPages.h"

#include <db/DataSource.h>
#include <rtl/Reference.h>
#include <rtl/TypeInfo.h>
#include <ui/DBGrids.h>

namespace {

const QString DataSourceProp = QStringLiteral("DataSource");
const QString MasterSourceProp = QStringLiteral("MasterSource");

TDataSource* SourceProp(const QObject* Object, const QString& Name) {
    if (!Object || !PropIsType(Object, Name, tkClass))
        return nullptr;
    return qobject_cast<TDataSource*>(GetObjectProp(Object, Name));
}

// The property that links a dataset to its master: a table's "MasterSource", else a
// query's parameter source "DataSource"; empty when it has neither.
QString MasterProp(const TDataSet* DataSet) {
    if (PropIsType(DataSet, MasterSourceProp, tkClass))
        return MasterSourceProp;
    if (PropIsType(DataSet, DataSourceProp, tkClass))
        return DataSourceProp;
    return {};
}

// Switches the active pages of the page controls inside Control, at any depth.
void SwitchNested(TWinControl* Control, bool On) {
    for (int i = 0; i < Control->ControlCount(); ++i) {
        auto* child = qobject_cast<TWinControl*>(Control->Controls(i));
        if (!child)
            continue;
        if (auto* pages = qobject_cast<TKroPageControl*>(child)) {
            if (auto* sheet = qobject_cast<TKroTabSheet*>(pages->ActivePage()))
                On ? sheet->SwitchOn() : sheet->SwitchOff();
        } else {
            SwitchNested(child, On);
        }
    }
}

} // namespace

TKroTabSheet::TKroTabSheet(TComponent* AOwner) : TTabSheet(AOwner) {}

void TKroTabSheet::SetTurnControl(TControl* Value) {
    ReplaceReference<TControl>(this, FTurnControl, Value);
}

TDataSource* TKroTabSheet::ControlSource() const {
    return SourceProp(FTurnControl, DataSourceProp);
}

void TKroTabSheet::SwitchOff() {
    if (IsDesigning())
        return;
    if (TDataSource* source = ControlSource()) {
        if (FTurnSource) {
            ReplaceReference(this, FSavedSource, source);
            SetObjectProp(FTurnControl, DataSourceProp, nullptr);
        }
        TDataSet* dataSet = source->DataSet();
        const QString masterProp = dataSet ? MasterProp(dataSet) : QString();
        if (FTurnMasterSource && !masterProp.isEmpty()) {
            if (TDataSource* master = SourceProp(dataSet, masterProp)) {
                ReplaceReference(this, FSavedMaster, master);
                ReplaceReference(this, FDetachedDataSet, dataSet);
                SetObjectProp(dataSet, masterProp, nullptr);
            }
        }
    }
    SwitchNested(this, false);
}

void TKroTabSheet::SwitchOn() {
    if (IsDesigning())
        return;
    if (FSavedSource) {
        // A source the program gave the control meanwhile stays.
        if (FTurnControl && !ControlSource())
            SetObjectProp(FTurnControl, DataSourceProp, FSavedSource);
        ReplaceReference<TDataSource>(this, FSavedSource, nullptr);
    }
    if (FSavedMaster) {
        // The master goes back to the dataset it was taken from, unless it got another.
        if (FDetachedDataSet && !SourceProp(FDetachedDataSet, MasterProp(FDetachedDataSet)))
            SetObjectProp(FDetachedDataSet, MasterProp(FDetachedDataSet), FSavedMaster);
        ForgetMaster();
    }
    SwitchNested(this, true);
}

void TKroTabSheet::ForgetMaster() {
    ReplaceReference<TDataSource>(this, FSavedMaster, nullptr);
    ReplaceReference<TDataSet>(this, FDetachedDataSet, nullptr);
}

void TKroTabSheet::Loaded() {
    TTabSheet::Loaded();
    if (IsDesigning())
        return;
    for (int i = 0; !FTurnControl && i < ControlCount(); ++i)
        if (qobject_cast<TDBGrid*>(Controls(i)))
            SetTurnControl(Controls(i));
    if (FTurnControl && PageControl() && PageControl()->ActivePage() != this)
        SwitchOff();
}

void TKroTabSheet::Notification(TComponent* AComponent, TOperation Operation) {
    TTabSheet::Notification(AComponent, Operation);
    if (Operation != opRemove)
        return;
    if (AComponent == FTurnControl)
        FTurnControl = nullptr;
    if (AComponent == FSavedSource)
        FSavedSource = nullptr;
    if (AComponent == FSavedMaster || AComponent == FDetachedDataSet) {
        // Either half alone cannot be put back.
        FSavedMaster = nullptr;
        FDetachedDataSet = nullptr;
    }
}

TKroPageControl::TKroPageControl(TComponent* AOwner) : TPageControl(AOwner) {}

void TKroPageControl::SetActivePage(TTabSheet* Page) {
    if (Page && Page->PageControl() != this)
        return;
    TTabSheet* previous = ActivePage();
    if (Page == previous || IsLoading() || IsDesigning()) {
        TPageControl::SetActivePage(Page);
        return;
    }
    if (auto* sheet = qobject_cast<TKroTabSheet*>(previous))
        sheet->SwitchOff();
    TPageControl::SetActivePage(Page);
    if (auto* sheet = qobject_cast<TKroTabSheet*>(ActivePage()))
        sheet->SwitchOn();
}
