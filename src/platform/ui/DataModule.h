#pragma once

#include <rtl/Component.h>

// A container of non-visual components (datasets, data sources) that forms refer to by
// name. Like a form, a data module class with a form file names it with
// Q_CLASSINFO("FormFile", path) and ends its constructor with InitForm().
class TDataModule : public TComponent {
    Q_OBJECT
    Q_PROPERTY(TNotifyEvent OnCreate READ OnCreate WRITE SetOnCreate)
    Q_PROPERTY(TNotifyEvent OnDestroy READ OnDestroy WRITE SetOnDestroy)
public:
    Q_INVOKABLE explicit TDataModule(TComponent* AOwner = nullptr);
    ~TDataModule() override;

    const TNotifyEvent& OnCreate() const { return FOnCreate; }
    void SetOnCreate(const TNotifyEvent& Value) { FOnCreate = Value; }
    const TNotifyEvent& OnDestroy() const { return FOnDestroy; }
    void SetOnDestroy(const TNotifyEvent& Value) { FOnDestroy = Value; }

protected:
    // Reads the form files of the class and its ancestors, then fires OnCreate. Does
    // nothing while a prototype is made.
    void InitForm();

private:
    TNotifyEvent FOnCreate;
    TNotifyEvent FOnDestroy;
};
