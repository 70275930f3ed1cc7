#pragma once

#include "DataSet.h"

class TDatabase;
class TDbConnection;

// A dataset of a database named by DatabaseName (an alias, a database component's name,
// or a directory); it takes the database from the session when it opens.
class TDBDataSet : public TDataSet {
    Q_OBJECT
    Q_PROPERTY(QString DatabaseName READ DatabaseName WRITE SetDatabaseName)
public:
    explicit TDBDataSet(TComponent* AOwner = nullptr);
    ~TDBDataSet() override;

    QString DatabaseName() const { return FDatabaseName; }
    void SetDatabaseName(const QString& Value);
    // The database while the dataset is open (or after OpenDatabase).
    TDatabase* Database() const { return FDatabase; }
    // Not on a database that takes no writes (a file opened for reading only).
    bool CanModify() const override;

protected:
    TDatabase* OpenDatabase();
    void CloseDatabase();
    TDbConnection* Connection() const;
    void InternalApplyUpdates(const std::function<void()>& Writes) override;

private:
    QString FDatabaseName;
    TDatabase* FDatabase = nullptr;
};
