#pragma once

#include <QBuffer>
#include <QPointer>

class TBlobField;

enum TBlobStreamMode { bmRead, bmWrite, bmReadWrite };

// The value of a blob or memo field of the current record as a stream. Reading starts
// with the field's bytes (text as UTF-8; nothing when writing only); what is written is
// stored in the field when the stream closes, which needs the dataset in edit state.
class TBlobStream : public QBuffer {
    Q_OBJECT
public:
    TBlobStream(TBlobField* Field, TBlobStreamMode Mode);
    ~TBlobStream() override;

    void close() override;

private:
    void Store();

    QPointer<TBlobField> FField;
    TBlobStreamMode FMode;
    bool FStored = false;
};
