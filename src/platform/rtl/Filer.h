#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

class TReader;
class TWriter;

// What reading and writing share: a class defines stored values of its own, beyond its
// published properties, in DefineProperties through these two calls. When reading, the
// reader calls ReadData of the defined property the file names; when writing, the writer
// calls WriteData when HasData says there is something to store.
class TFiler {
public:
    using TReaderProc = std::function<void(TReader&)>;
    using TWriterProc = std::function<void(TWriter&)>;
    using TBinaryReadProc = std::function<void(const QByteArray&)>;
    using TBinaryWriteProc = std::function<QByteArray()>;

    virtual ~TFiler() = default;
    virtual void DefineProperty(const QString& Name, const TReaderProc& ReadData,
                                const TWriterProc& WriteData, bool HasData) = 0;
    virtual void DefineBinaryProperty(const QString& Name, const TBinaryReadProc& ReadData,
                                      const TBinaryWriteProc& WriteData, bool HasData) = 0;
};
