#pragma once
// A stand-in main window, and a scope that loads a forms.xml into it and destroys the further
// forms it created.
#include "controls/form.h"
#include "controls/tform.h"
#include "forms/formloader.h"
#include "support/fixtures.h"
#include "support/printto.h"

#include <QMainWindow>
#include <memory>

namespace tarvo::test {

class TestMainWindow : public QMainWindow, public FormBase {
public:
    TestMainWindow() : FormBase(this) { setObjectName("frmMain"); }
};

class LoadedForms {
public:
    LoadedForms() : m_before(openForms()) {}
    ~LoadedForms()
    {
        for (FormBase *form : openForms())
            if (!m_before.contains(form) && form != &main)
                delete form->widget();
    }

    // Loads `xml` written as forms.xml of a fresh project folder.
    void loadText(const QString &xml, const FormHooks &hooks = {})
    {
        folder.write(QStringLiteral("forms.xml"), xml);
        LoadForms(main, folder.file(QStringLiteral("forms.xml")), hooks);
    }
    void loadFixture(const QString &fixture, const FormHooks &hooks = {})
    {
        LoadForms(main, fixturePath(fixture + QStringLiteral("/forms.xml")), hooks);
    }
    TForm *form(const QString &name) const { return dynamic_cast<TForm *>(findForm(name)); }
    template <class T = QWidget> T *control(const FormBase &owner, const QString &name) const
    {
        return qobject_cast<T *>(owner.findComponent(name));
    }

    TestMainWindow main;
    ProjectFolder folder;

private:
    QList<FormBase *> m_before;
};

} // namespace tarvo::test
