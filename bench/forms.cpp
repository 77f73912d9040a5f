// LoadForms over a generated forms.xml of 40 forms with 50 controls each, against its floor in
// the same run: the same controls created bare (parent, name, geometry) into the same forms.
#include "controls/dbbutton.h"
#include "controls/dbcheckbox.h"
#include "controls/dbcombobox.h"
#include "controls/dbedit.h"
#include "controls/dbpanel.h"
#include "controls/form.h"
#include "controls/tform.h"
#include "forms/formloader.h"
#include "forms/formsxml.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMainWindow>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>

using namespace tarvo;

namespace {

constexpr int kForms = 40;
constexpr int kControls = 50; // per form: 5 panels with 9 controls each, around them

class MainWindow : public QMainWindow, public FormBase {
public:
    MainWindow() : FormBase(this) {}
};

// Within a panel: edits, a combo box, a check box, a label and buttons, with tab positions.
const char *const kKinds[] = {"TdbEdit", "TdbEdit", "TdbEdit", "TdbComboBox", "TdbCheckBox",
                              "TdbLabel", "TdbEdit", "TdbButton", "TdbButton"};

QString control(const char *kind, int form, int index)
{
    return QStringLiteral(R"(<%1 Name="c%2_%3" Left="%4" Top="%5" Width="120" Height="21" )"
                          R"(TabStop="True" TabOrder="%6" Caption="Caption %3" dbTable="t%2" )"
                          R"(dbField="f%3" FontName="DejaVu Sans" FontSize="9"/>)")
        .arg(QLatin1StringView(kind)).arg(form).arg(index).arg(8 + (index % 3) * 130)
        .arg(8 + (index / 3) * 26).arg(9 - index % 10);
}

QByteArray generateFormsXml()
{
    QString xml = "<main>";
    for (int f = 0; f < kForms; ++f) {
        xml += QStringLiteral(R"(<frm%1 Width="800" Height="600" Caption="Form %1">)").arg(f);
        for (int p = 0; p < 5; ++p) {
            xml += QStringLiteral(R"(<TdbPanel Name="p%1_%2" Top="%3" Width="400" Height="110">)")
                       .arg(f).arg(p).arg(p * 115);
            for (int k = 0; k < 9; ++k)
                xml += control(kKinds[k], f, p * 9 + k);
            xml += "</TdbPanel>";
        }
        xml += QStringLiteral("</frm%1>").arg(f);
    }
    return (xml + "</main>").toUtf8();
}

QString writeFormsXml(const QTemporaryDir &dir)
{
    const QString path = dir.filePath("forms.xml");
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(generateFormsXml());
    return path;
}

QWidget *createBare(const char *kind, QWidget *parent)
{
    const QLatin1StringView k(kind);
    if (k == "TdbEdit")
        return new TdbEdit(parent);
    if (k == "TdbComboBox")
        return new TdbComboBox(parent);
    if (k == "TdbCheckBox")
        return new TdbCheckBox(parent);
    if (k == "TdbLabel")
        return new QLabel(parent);
    return new TdbButton(parent);
}

// Outside the timing: the events that the building posted, and the teardown.
void tearDown(std::unique_ptr<MainWindow> &main, const QList<FormBase *> &keep)
{
    QCoreApplication::sendPostedEvents();
    for (FormBase *form : openForms())
        if (!keep.contains(form) && form != main.get())
            delete form->widget();
    main.reset();
    QCoreApplication::sendPostedEvents();
}

void BM_LoadForms(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = writeFormsXml(dir);
    const QList<FormBase *> before = openForms();
    for (auto _ : state) {
        auto main = std::make_unique<MainWindow>();
        LoadForms(*main, path, {});
        state.PauseTiming();
        tearDown(main, before);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_LoadForms)->Unit(benchmark::kMillisecond)->MinTime(3);

// The share of the XML parser alone.
void BM_ParseOnly(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = writeFormsXml(dir);
    for (auto _ : state)
        benchmark::DoNotOptimize(readFormsDocument(path));
}
BENCHMARK(BM_ParseOnly)->Unit(benchmark::kMillisecond)->MinTime(1);

void BM_BareWidgetsFloor(benchmark::State &state)
{
    const QList<FormBase *> before = openForms();
    for (auto _ : state) {
        auto main = std::make_unique<MainWindow>();
        for (int f = 0; f < kForms; ++f) {
            QWidget *form = f == 0 ? new QWidget(main.get()) : new TForm;
            for (int p = 0; p < 5; ++p) {
                auto *panel = new TdbPanel(form);
                panel->setGeometry(0, p * 115, 400, 110);
                for (int k = 0; k < 9; ++k) {
                    QWidget *w = createBare(kKinds[k], panel);
                    w->setObjectName(QStringLiteral("c%1_%2").arg(f).arg(p * 9 + k));
                    w->setGeometry(8 + (k % 3) * 130, 8 + (k / 3) * 26, 120, 21);
                }
            }
        }
        state.PauseTiming();
        tearDown(main, before);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_BareWidgetsFloor)->Unit(benchmark::kMillisecond)->MinTime(3);

} // namespace
