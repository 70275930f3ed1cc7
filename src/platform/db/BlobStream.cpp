#include "BlobStream.h"

#include "DataSet.h"
#include "Fields.h"

#include <rtl/Exceptions.h>

TBlobStream::TBlobStream(TBlobField* Field, TBlobStreamMode Mode) : FField(Field), FMode(Mode) {
    if (Mode != bmRead && Field->DataSet() && !Field->DataSet()->IsEditing())
        throw EDatabaseError(QStringLiteral("Dataset not in edit or insert mode"));
    if (Mode != bmWrite)
        setData(Field->AsBytes());
    open(Mode == bmRead ? QIODevice::ReadOnly : QIODevice::ReadWrite);
}

TBlobStream::~TBlobStream() {
    try {
        Store();
    } catch (const Exception& e) {
        // A destructor cannot raise; the field keeps its former value.
        ShowException(e);
    }
}

void TBlobStream::close() {
    Store();
    QBuffer::close();
}

void TBlobStream::Store() {
    if (FStored || FMode == bmRead || !FField)
        return;
    FStored = true;
    if (FField->DataType() == ftMemo || FField->DataType() == ftFmtMemo)
        FField->SetAsVariant(QString::fromUtf8(data()));
    else
        FField->SetAsVariant(data().isEmpty() ? Null() : Variant(data()));
}
