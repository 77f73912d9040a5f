#include "formtesting.h"

#include "controls/dbdatetimepicker.h"
#include "controls/dbmonthcalendar.h"
#include "controls/dbstringgridex.h"

#include <QApplication>
#include <QHeaderView>
#include <QMenuBar>
#include <QTest>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace tarvo::test {
namespace {

const QColor red(255, 0, 0), green(0, 255, 0), blue(0, 0, 255);

// What the user sees of `window`, shown.
QImage shownImage(QWidget *window)
{
    window->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window));
    return window->grab().toImage();
}

QColor pixel(const QImage &image, const QWidget *window, const QWidget *widget, QPoint at)
{
    return image.pixelColor(widget->mapTo(window, at));
}

// Colours land where the form file put them: on the form's own surface and inside panels,
// never on the menu, the grid's titles or the controls that stand on them.
TEST(Painting, FormAndPanelColoursPaintTheirOwnSurfaceOnly)
{
    LoadedForms f;
    f.main.menuBar()->addMenu(u"File"_s);
    f.loadText(uR"(<main>
        <frmMain Color="255" Width="300" Height="200">
          <TdbEdit Name="me" Left="10" Top="10" Width="100" Height="22"/>
          <TdbPanel Name="mp" Left="10" Top="50" Width="250" Height="120" Color="65280">
            <TdbStringGrid Name="mg" Left="10" Top="10" Width="200" Height="100"/>
          </TdbPanel>
        </frmMain>
        <frmB Color="$FF0000" Width="300" Height="200">
          <TdbPanel Name="p" Left="150" Top="10" Width="100" Height="100" Color="65280">
            <TdbEdit Name="pe" Left="10" Top="10" Width="60" Height="22"/>
          </TdbPanel>
          <TdbPanel Name="plain" Left="10" Top="120" Width="100" Height="50"/>
        </frmB></main>)"_s);
    QWidget *main = &f.main;
    const QImage mainImage = shownImage(main);
    QWidget *client = f.main.centralWidget();
    QWidget *edit = f.control(f.main, u"me"_s);
    auto *grid = f.control<TdbStringGridEx>(f.main, u"mg"_s);
    TForm *form = f.form(u"frmB"_s);
    const QImage formImage = shownImage(form);
    QWidget *panel = f.control(*form, u"p"_s);

    const struct {
        const char *where;
        QColor seen;
        QColor expected;
        bool equal;
    } cases[] = {
        {"main window surface", pixel(mainImage, main, client, {250, 190}), red, true},
        {"menu bar", pixel(mainImage, main, f.main.menuBar(), {200, 5}), red, false},
        {"edit on the main window", pixel(mainImage, main, edit, {50, 11}), red, false},
        {"panel on the main window", pixel(mainImage, main, f.control(f.main, u"mp"_s), {240, 5}), green, true},
        {"grid titles", pixel(mainImage, main, grid->horizontalHeader(), {50, 5}), red, false},
        {"grid titles beyond the last column", pixel(mainImage, main, grid->horizontalHeader(), {195, 5}), green,
         false},
        {"grid lines", pixel(mainImage, main, grid->viewport(), {39, 10}), green, false},
        {"further form surface", pixel(formImage, form, form, {50, 50}), blue, true},
        {"panel", pixel(formImage, form, panel, {50, 80}), green, true},
        {"edit on the panel", pixel(formImage, form, f.control(*form, u"pe"_s), {30, 11}), green, false},
        {"panel without a colour", pixel(formImage, form, f.control(*form, u"plain"_s), {50, 25}),
         QApplication::palette().color(QPalette::Button), true},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.seen == c.expected, c.equal) << c.where << ": " << c.seen.name().toStdString();
    form->hide();
    main->hide();
}

// The grid's titles in each drawing style: classic a flat face, gradient shaded from top to
// bottom, themed the desktop's own; three looks a user tells apart.
TEST(Painting, GridDrawingStylesLookDifferent)
{
    LoadedForms f;
    f.loadText(uR"(<main><frmMain Width="700" Height="150">
        <TdbStringGrid Name="classic" DrawingStyle="gdsClassic" Width="200" Height="100"/>
        <TdbStringGrid Name="themed" DrawingStyle="gdsThemed" Left="220" Width="200" Height="100"/>
        <TdbStringGrid Name="gradient" Left="440" Width="200" Height="100"/>
      </frmMain></main>)"_s);
    shownImage(&f.main);
    QMap<QString, QImage> titles;
    for (const char *name : {"classic", "themed", "gradient"}) {
        QHeaderView *header = f.control<TdbStringGridEx>(f.main, QString::fromUtf8(name))->horizontalHeader();
        titles[QString::fromUtf8(name)] = header->grab().toImage();
    }
    auto shade = [](const QImage &title) {
        const int x = 20;
        return std::pair(title.pixelColor(x, 2), title.pixelColor(x, title.height() - 3));
    };
    EXPECT_EQ(shade(titles[u"classic"_s]).first, shade(titles[u"classic"_s]).second);
    EXPECT_GT(shade(titles[u"gradient"_s]).first.lightness(), shade(titles[u"gradient"_s]).second.lightness());
    EXPECT_NE(titles[u"classic"_s], titles[u"themed"_s]);
    EXPECT_NE(titles[u"classic"_s], titles[u"gradient"_s]);
    EXPECT_NE(titles[u"themed"_s], titles[u"gradient"_s]);
    f.main.hide();
}

// A calendar that gives a time picker its day shows a day exactly when the picker has a value,
// and a day the user picks gives it one, so that what it shows is what a save stores.
TEST(Painting, CalendarShowsADayOnlyWhileItsTimePickerHasAValue)
{
    LoadedForms f;
    f.loadText(uR"(<main><frmMain/><frmB Width="400" Height="300">
        <TdbMonthCalendar Name="cal" Width="280" Height="200" TabStop="True" TabOrder="0"/>
        <TdbDateTimePicker Name="dt" Left="290" Width="100" Height="22" Kind="dtkTime" dbCalendarControl="cal"/>
      </frmB></main>)"_s);
    TForm *form = f.form(u"frmB"_s);
    auto *calendar = f.control<TdbMonthCalendar>(*form, u"cal"_s);
    auto *picker = f.control<TdbDateTimePicker>(*form, u"dt"_s);
    const QPalette desktop = QApplication::palette();
    const QColor highlights[] = {desktop.color(QPalette::Active, QPalette::Highlight),
                                 desktop.color(QPalette::Inactive, QPalette::Highlight)};
    auto showsHighlight = [&] {
        const QImage shown = calendar->grab().toImage();
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x)
                if (std::find(std::begin(highlights), std::end(highlights), shown.pixelColor(x, y))
                    != std::end(highlights))
                    return true;
        return false;
    };
    form->show();
    QApplication::setActiveWindow(form);
    ASSERT_TRUE(QTest::qWaitForWindowActive(form));
    EXPECT_FALSE(showsHighlight());

    calendar->setFocus();
    QTest::keyClick(form->windowHandle(), Qt::Key_Right); // the user picks the next day
    EXPECT_TRUE(picker->checked());
    EXPECT_TRUE(showsHighlight());

    picker->setChecked(false); // a new record, or one without a time
    EXPECT_FALSE(showsHighlight());
    form->hide();
}

} // namespace
} // namespace tarvo::test
