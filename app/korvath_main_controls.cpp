#include <QAction>
#include <QFont>
#include <QFrame>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QTabWidget>

#include "app/command_runner.h"
#include "app/desktop_settings.h"
#include "app/korvath_main.h"
#include "app/plot_picture.h"

namespace varnel::app {
namespace {

QFont FontOfHeight(const char* family, int pixels) {
    QFont font(QString::fromLatin1(family));
    font.setPixelSize(pixels);
    return font;
}

template <typename Widget>
Widget* Place(Widget* widget, const char* name, QRect geometry) {
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(geometry);
    return widget;
}

QAction* AddItem(QMenu* menu, const char* name, const char* caption) {
    QAction* action = menu->addAction(QString::fromUtf8(caption));
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

QMenu* AddMenu(QMenuBar* bar, const char* name, const char* caption) {
    QMenu* menu = bar->addMenu(QString::fromLatin1(caption));
    menu->setObjectName(QString::fromLatin1(name));
    menu->menuAction()->setObjectName(QString::fromLatin1(name));
    return menu;
}

QRadioButton* CreateLevelButton(QWidget* panel, const char* name, const char* caption, int top) {
    return Place(new QRadioButton(QString::fromLatin1(caption), panel), name,
                 QRect(130, top, 57, 17));
}

}  // namespace

void TFormMain::CreateMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu"));
    QMenu* file = AddMenu(bar, "File1", "&File");
    MenuOpen = AddItem(file, "MenuOpen", "&Open");
    MenuOpen->setShortcut(QKeySequence::Open);
    MenuOpenImage = AddItem(file, "MenuOpenImage", "Open &Image…");
    MenuRecent = file->addMenu(QStringLiteral("&Recent Files"));
    MenuRecent->setObjectName(QStringLiteral("MenuRecent"));
    MenuRecent->menuAction()->setObjectName(QStringLiteral("MenuRecent"));
    QMenu* save = file->addMenu(QStringLiteral("Save &Picture"));
    save->setObjectName(QStringLiteral("MenuSave"));
    save->menuAction()->setObjectName(QStringLiteral("MenuSave"));
    MenuSavePst = AddItem(save, "MenuSavePst", "P&ost-strain");
    MenuSavePre = AddItem(save, "MenuSavePre", "Pr&e-strain");
    SaveT2values1 = AddItem(file, "SaveT2values1", "Save &T^2 values");
    MenuExportReport = AddItem(file, "MenuExportReport", "Export &Report…");
    file->addSeparator()->setObjectName(QStringLiteral("N1"));
    MenuExit = AddItem(file, "MenuExit", "E&xit");
    MenuExit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    AddMenu(bar, "Edit1", "&Edit")->menuAction()->setEnabled(false);
    QMenu* view = AddMenu(bar, "View1", "&View");
    MenuData = AddItem(view, "MenuData", "&Data");
    QMenu* analysis = AddMenu(bar, "Analysis1", "&Analysis");
    MenuMethods = AddItem(analysis, "MenuMethods", "&Methods");
    MenuEllipsoid = AddItem(analysis, "MenuEllipsoid", "&Ellipsoid…");
    QMenu* help = AddMenu(bar, "Help1", "&Help");
    MenuContents = AddItem(help, "MenuContents", "&Contents");
    MenuContents->setShortcut(QKeySequence::HelpContents);
    MenuPDF = AddItem(help, "MenuPDF", "Korvath &Help");
    MenuPDF->setEnabled(false);
    MenuVersion = AddItem(help, "MenuVersion", "&Version");
}

void TFormMain::CreateControls() {
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("ClientArea"));
    setCentralWidget(client);
    CreatePlotPages();
    Memo = Place(new QPlainTextEdit(client), "Memo", QRect(512, 62, 201, 457));
    Memo->setFont(FontOfHeight("Courier New", 12));
    Memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    ProgressBar = Place(new QProgressBar(client), "ProgressBar", QRect(398, 4, 110, 12));
    ProgressBar->setRange(0, 100);
    ProgressBar->setValue(0);
    ProgressBar->setTextVisible(false);
    CreateLevelPanel();
    setTabOrder(PageControl1, Memo);
    setTabOrder(Memo, RadioButton39);
    setTabOrder(RadioButton39, RadioButton50);
    setTabOrder(RadioButton50, RadioButton95);
}

void TFormMain::CreatePlotPages() {
    PageControl1 = Place(new QTabWidget(centralWidget()), "PageControl1", QRect(0, 0, 509, 522));
    TabSheetPst = new QWidget;
    TabSheetPst->setObjectName(QStringLiteral("TabSheetPst"));
    TabSheetPre = new QWidget;
    TabSheetPre->setObjectName(QStringLiteral("TabSheetPre"));
    PageControl1->addTab(TabSheetPst, QStringLiteral("Post-strain"));
    PageControl1->addTab(TabSheetPre, QStringLiteral("Pre-strain"));
    PageControl1->setCurrentWidget(TabSheetPst);
    ImageF = Place(new PlotPicture(TabSheetPst), "ImageF", QRect(0, 0, 501, 492));
    ImageI = Place(new PlotPicture(TabSheetPre), "ImageI", QRect(0, 0, 500, 500));
}

void TFormMain::CreateLevelPanel() {
    PanelRadButtons = Place(new QFrame(centralWidget()), "PanelRadButtons", QRect(512, 0, 201, 58));
    PanelRadButtons->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    PanelRadButtons->setLineWidth(1);
    StaticText1 = Place(new QLabel(QStringLiteral("Confidence"), PanelRadButtons), "StaticText1",
                        QRect(16, 16, 67, 19));
    StaticText2 = Place(new QLabel(QStringLiteral("level"), PanelRadButtons), "StaticText2",
                        QRect(33, 32, 29, 19));
    RadioButton39 = CreateLevelButton(PanelRadButtons, "RadioButton39", "&39%", 8);
    RadioButton50 = CreateLevelButton(PanelRadButtons, "RadioButton50", "&50%", 24);
    RadioButton95 = CreateLevelButton(PanelRadButtons, "RadioButton95", "&95%", 37);
    RadioButton95->setChecked(true);
}

void TFormMain::CreateShortcuts() {
    // Window-wide keys without a menu item of their own; the memo, when it has the focus and a
    // selection, copies the selection instead.
    MenuCopyReport = new QAction(QStringLiteral("Copy Report"), this);
    MenuCopyReport->setObjectName(QStringLiteral("MenuCopyReport"));
    MenuCopyReport->setShortcut(QKeySequence::Copy);
    MenuNextPlot = new QAction(QStringLiteral("Next Plot"), this);
    MenuNextPlot->setObjectName(QStringLiteral("MenuNextPlot"));
    MenuNextPlot->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab));
    addActions({MenuCopyReport, MenuNextPlot});
    connect(MenuCopyReport, &QAction::triggered, this,
            [this] { Run(&TFormMain::CopyReportClick); });
    connect(MenuNextPlot, &QAction::triggered, this,
            [this] { Run(&TFormMain::NextPlotPageClick); });
}

void TFormMain::RebuildRecentMenu() {
    // An item may be the one whose click is running this: it goes once the click is over.
    for (QAction* old : MenuRecent->actions()) {
        MenuRecent->removeAction(old);
        old->setObjectName(QString());
        old->deleteLater();
    }
    int number = 0;
    for (const std::string& path : RecentFiles()) {
        ++number;
        QAction* item = MenuRecent->addAction(QStringLiteral("&%1 %2").arg(number).arg(
            QString::fromStdString(path).replace(QLatin1Char('&'), QStringLiteral("&&"))));
        item->setObjectName(QStringLiteral("MenuRecent%1").arg(number));
        connect(item, &QAction::triggered, this, [this, path] {
            RunCommand(ui_, [this, &path] { OpenRecentFile(path); });
            Run(&TFormMain::UpdateMethodsWindow);
        });
    }
    MenuRecent->setEnabled(number > 0);
}

void TFormMain::BindEvents() {
    connect(MenuOpen, &QAction::triggered, this, [this] {
        Run(&TFormMain::MenuOpenClick);
        Run(&TFormMain::UpdateMethodsWindow);
    });
    connect(MenuOpenImage, &QAction::triggered, this,
            [this] { Run(&TFormMain::MenuOpenImageClick); });
    connect(MenuSavePst, &QAction::triggered, this, [this] { Run(&TFormMain::MenuSavePstClick); });
    connect(MenuSavePre, &QAction::triggered, this, [this] { Run(&TFormMain::MenuSavePreClick); });
    connect(SaveT2values1, &QAction::triggered, this,
            [this] { Run(&TFormMain::SaveT2values1Click); });
    connect(MenuExportReport, &QAction::triggered, this,
            [this] { Run(&TFormMain::MenuExportReportClick); });
    connect(MenuContents, &QAction::triggered, this,
            [this] { Run(&TFormMain::MenuContentsClick); });
    connect(MenuExit, &QAction::triggered, this, [this] { Run(&TFormMain::MenuExitClick); });
    connect(MenuVersion, &QAction::triggered, this, [this] { Run(&TFormMain::MenuVersionClick); });
    connect(MenuData, &QAction::triggered, this, [this] { Run(&TFormMain::MenuDataClick); });
    connect(MenuMethods, &QAction::triggered, this, [this] { Run(&TFormMain::MenuMethodsClick); });
    connect(MenuEllipsoid, &QAction::triggered, this,
            [this] { Run(&TFormMain::MenuEllipsoidClick); });
    // A button raises the level change only when it becomes the selected one.
    for (QRadioButton* button : {RadioButton39, RadioButton50, RadioButton95}) {
        connect(button, &QRadioButton::toggled, this, [this](bool selected) {
            if (!selected) return;
            Run(&TFormMain::AnyRaioButtonClicked);
            Run(&TFormMain::UpdateMethodsWindow);
        });
    }
}

}  // namespace varnel::app
