#include "TableForm.h"

TTableForm::TTableForm(TComponent* AOwner) : TFormDB(AOwner, TInherited{}) {
    Q_INIT_RESOURCE(DemoForms);
    InitForm();
}
