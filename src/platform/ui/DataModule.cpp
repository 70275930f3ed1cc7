#include "DataModule.h"

#include "FormFile.h"
#include "Screen.h"

#include <rtl/ClassRegistry.h>
#include <rtl/Exceptions.h>
#include <rtl/GlobalRoots.h>

TDataModule::TDataModule(TComponent* AOwner) : TComponent(AOwner) {
    if (IsCreatingPrototype())
        return;
    GlobalRoots::Add(this);
    Screen()->AddDataModule(this);
}

TDataModule::~TDataModule() {
    SetComponentState(ComponentState() + TComponentState{csDestroying});
    Screen()->RemoveDataModule(this);
    HandleExceptions([this] { FOnDestroy(this); });
}

void TDataModule::InitForm() {
    if (IsCreatingPrototype())
        return;
    InitInheritedComponent(this, &TDataModule::staticMetaObject);
    HandleExceptions([this] { FOnCreate(this); });
}
