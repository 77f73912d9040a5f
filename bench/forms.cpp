// LoadForms over a generated forms.xml of 40 forms with 50 controls each, against two floors in
// the same run. The floor that its ratio (at most 1.5x) is held to does the same work with the
// bare libraries, like the floors of the other benchmarks: the file read with the same stream
// reader and the same widgets given the same names, geometry, fonts and captions with plain Qt
// calls. The other creates the widgets alone (parent, name, geometry) and shows how much of
// the whole the widgets are; reading the file alone is measured as well.
#include "controls/dbbutton.h"
#include "controls/dbcheckbox.h"
#include "controls/dbcombobox.h"
#include "controls/dbedit.h"
#include "controls/dbpanel.h"
#include "controls/form.h"
#include "controls/tform.h"
#include "forms/formloader.h"
#include "forms/formsxml.h"
#include "forms/widgetstyle.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMainWindow>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <memory>

using namespace tarvo;
using namespace Qt::StringLiterals;

namespace {

constexpr int kForms = 40;
constexpr int kControls = 50; // per form: 5 panels with 9 controls each, around them

class MainWindow : public QMainWindow, public FormBase {
public:
    MainWindow() : FormBase(this) {}
};

// Within a panel: edits, a combo box, a check box, a label and buttons, with tab positions.
const char *const kKinds[] = {"TdbEdit",  "TdbEdit", "TdbEdit",   "TdbComboBox", "TdbCheckBox",
                              "TdbLabel", "TdbEdit", "TdbButton", "TdbButton"};

QString control(const char *kind, int form, int index)
{
    return QStringLiteral(R"(<%1 Name="c%2_%3" Left="%4" Top="%5" Width="120" Height="21" )"
                          R"(TabStop="True" TabOrder="%6" Caption="Caption %3" dbTable="t%2" )"
                          R"(dbField="f%3" FontName="DejaVu Sans" FontSize="9"/>)")
        .arg(QLatin1StringView(kind))
        .arg(form)
        .arg(index)
        .arg(8 + (index % 3) * 130)
        .arg(8 + (index / 3) * 26)
        .arg(9 - index % 10);
}

QByteArray generateFormsXml()
{
    QString xml = u"<main>"_s;
    for (int f = 0; f < kForms; ++f) {
        xml += QStringLiteral(R"(<frm%1 Width="800" Height="600" Caption="Form %1">)").arg(f);
        for (int p = 0; p < 5; ++p) {
            xml += QStringLiteral(R"(<TdbPanel Name="p%1_%2" Top="%3" Width="400" Height="110">)")
                       .arg(f)
                       .arg(p)
                       .arg(p * 115);
            for (int k = 0; k < 9; ++k)
                xml += control(kKinds[k], f, p * 9 + k);
            xml += u"</TdbPanel>"_s;
        }
        xml += QStringLiteral("</frm%1>").arg(f);
    }
    return (xml + u"</main>"_s).toUtf8();
}

QString writeFormsXml(const QTemporaryDir &dir)
{
    const QString path = dir.filePath(u"forms.xml"_s);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(generateFormsXml());
    return path;
}

QWidget *createBare(const char *kind, QWidget *parent)
{
    const QLatin1StringView k(kind);
    if (k == QLatin1StringView("TdbEdit"))
        return new TdbEdit(parent);
    if (k == QLatin1StringView("TdbComboBox"))
        return new TdbComboBox(parent);
    if (k == QLatin1StringView("TdbCheckBox"))
        return new TdbCheckBox(parent);
    if (k == QLatin1StringView("TdbLabel"))
        return new QLabel(parent);
    if (k == QLatin1StringView("TdbPanel"))
        return new TdbPanel(parent);
    return new TdbButton(parent);
}

// The thousands of widgets that one benchmark frees leave the heap fragmented for the next one,
// which then measures the allocator more than itself (seen as a third slower floor).
void startFromATrimmedHeap()
{
    malloc_trim(0);
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

// The first form is drawn in the main window; every further one is a form of its own.
QWidget *createForm(MainWindow &main)
{
    if (main.centralWidget())
        return new TForm;
    auto *client = new QWidget(&main);
    main.setCentralWidget(client);
    return client;
}

// Times `build` (given a fresh main window and the path of the generated file) once per
// iteration, from a trimmed heap; the teardown is outside the timing.
template <class Build> void timeBuilding(benchmark::State &state, Build build)
{
    startFromATrimmedHeap();
    QTemporaryDir dir;
    const QString path = writeFormsXml(dir);
    const QList<FormBase *> before = openForms();
    for (auto _ : state) {
        auto main = std::make_unique<MainWindow>();
        build(*main, path);
        state.PauseTiming();
        tearDown(main, before);
        state.ResumeTiming();
    }
}

void BM_LoadForms(benchmark::State &state)
{
    timeBuilding(state, [](MainWindow &main, const QString &path) { LoadForms(main, path, {}); });
}
BENCHMARK(BM_LoadForms)->Unit(benchmark::kMillisecond)->MinTime(3);

// The share of reading the file into the tree that the builder walks.
void BM_ReadOnly(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = writeFormsXml(dir);
    for (auto _ : state)
        benchmark::DoNotOptimize(readFormsDocument(path));
}
BENCHMARK(BM_ReadOnly)->Unit(benchmark::kMillisecond)->MinTime(1);

void BM_BareWidgetsFloor(benchmark::State &state)
{
    timeBuilding(state, [](MainWindow &main, const QString &) {
        for (int f = 0; f < kForms; ++f) {
            QWidget *form = createForm(main);
            for (int p = 0; p < 5; ++p) {
                QWidget *panel = createBare("TdbPanel", form);
                panel->setGeometry(0, p * 115, 400, 110);
                for (int k = 0; k < 9; ++k) {
                    QWidget *w = createBare(kKinds[k], panel);
                    w->setObjectName(QStringLiteral("c%1_%2").arg(f).arg(p * 9 + k));
                    w->setGeometry(8 + (k % 3) * 130, 8 + (k / 3) * 26, 120, 21);
                }
            }
        }
    });
}
BENCHMARK(BM_BareWidgetsFloor)->Unit(benchmark::kMillisecond)->MinTime(3);

int attributeNumber(const QXmlStreamAttributes &attributes, const char *name)
{
    return attributes.value(QLatin1StringView(name)).toInt();
}

// One element of the file made into its widget with plain Qt calls.
QWidget *createDesigned(QStringView element, const QXmlStreamAttributes &a, QWidget *parent)
{
    const QByteArray kind = element.toLatin1();
    QWidget *w = createBare(kind.constData(), parent);
    w->setObjectName(a.value(QLatin1StringView("Name")).toString());
    w->setGeometry(attributeNumber(a, "Left"), attributeNumber(a, "Top"), attributeNumber(a, "Width"),
                   attributeNumber(a, "Height"));
    w->show();
    if (kind == "TdbPanel")
        return w;
    // Without the loader's step for a new combo box, its popup list would be built here.
    setNewControlFont(w, QFont(a.value(QLatin1StringView("FontName")).toString(), attributeNumber(a, "FontSize")));
    const QString caption = a.value(QLatin1StringView("Caption")).toString();
    if (auto *button = qobject_cast<QAbstractButton *>(w))
        button->setText(caption);
    if (auto *label = qobject_cast<QLabel *>(w)) {
        label->setText(caption);
        label->adjustSize();
    }
    return w;
}

// What LoadForms adds to this floor is its own: the attribute rules, name checks, keyboard order,
// colours and the controls' wiring.
void BM_ReadAndDesignedWidgetsFloor(benchmark::State &state)
{
    timeBuilding(state, [](MainWindow &main, const QString &path) {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        QXmlStreamReader reader(&file);
        QList<QWidget *> parents;
        while (!reader.atEnd()) {
            const QXmlStreamReader::TokenType token = reader.readNext();
            if (token == QXmlStreamReader::EndElement && !parents.isEmpty()) {
                parents.removeLast();
            } else if (token == QXmlStreamReader::StartElement && reader.name() != u"main") {
                parents.append(parents.isEmpty() ? createForm(main)
                                                 : createDesigned(reader.name(), reader.attributes(), parents.last()));
            }
        }
    });
}
BENCHMARK(BM_ReadAndDesignedWidgetsFloor)->Unit(benchmark::kMillisecond)->MinTime(3);

} // namespace
