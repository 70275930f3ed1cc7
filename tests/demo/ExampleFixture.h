#pragma once

// The demonstration program started on a folder of its own for each test, and ended again.

#include <DMod1.h>
#include <DemoDatabase.h>
#include <DemoStartup.h>
#include <QList>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <Unit1.h>
#include <dataset/KroOther.h>
#include <db/Database.h>
#include <db/Session.h>
#include <filter/KroFilt.h>
#include <forms/KroForms.h>
#include <gtest/gtest.h>
#include <ui/Screen.h>

class ExampleFixture : public ::testing::Test {
protected:
    void SetUp() override { QStandardPaths::setTestModeEnabled(true); }
    void TearDown() override {
        while (Screen()->FormCount() > 0)
            delete Screen()->Forms(0);
        delete DM1;
        DM1 = nullptr;
        Form1 = nullptr;
        OtherQueryClass = nullptr;
        FilterLoadHook = nullptr;
        FilterSaveHook = nullptr;
        Session()->CloseDatabase(Session()->FindDatabase(DemoAlias));
        if (Session()->IsAlias(DemoAlias)) {
            Session()->SetConfigMode({cmSession});
            Session()->DeleteAlias(DemoAlias);
            Session()->SetConfigMode(cmAll);
        }
    }
    // The edit forms open now, the main form left out.
    QList<TFormDB*> EditForms() const {
        QList<TFormDB*> forms;
        for (int i = 0; i < Screen()->FormCount(); ++i)
            if (auto* form = qobject_cast<TFormDB*>(Screen()->Forms(i)))
                forms << form;
        return forms;
    }
    QTemporaryDir Dir;
};
