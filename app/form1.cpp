#include "app/form1.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <limits>
#include <utility>

#include "app/asterisk_password_style.h"
#include "app/busy_cursor.h"
#include "app/fatal_error.h"
#include "app/help_text.h"
#include "app/message_box.h"
#include "app/twips.h"
#include "app/window_texts.h"
#include "login/refresh.h"
#include "repair/repair_run.h"

namespace kelvar {
namespace {

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

template <typename Control>
Control* makeControl(QWidget* window, const char* name, TwipsRect place) {
    auto* control = new Control(window);  // owned by the window
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(toPixels(place));
    return control;
}

QPushButton* makeButton(QWidget* window, const char* name, const char* caption, TwipsRect place) {
    auto* button = makeControl<QPushButton>(window, name, place);
    button->setText(QString::fromUtf8(caption));
    return button;
}

// QLineEdit stops at 32767 characters unless told otherwise; the boxes take text of any length.
void liftLengthLimit(QLineEdit* box) {
    box->setMaxLength(std::numeric_limits<int>::max());
}

void makeLabel(QWidget* window, const char* name, const char* caption, TwipsRect place) {
    auto* label = makeControl<QLabel>(window, name, place);
    label->setText(QString::fromUtf8(caption));
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // The labels reach a little under the fields beside them; the fields must stay on top.
    label->lower();
}

}  // namespace

Form1::Form1(DatabaseAccess& access, QWidget* parent) : QDialog(parent), access_(access) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QString::fromUtf8(kWindowCaption));
    QIcon icon;
    icon.addFile(QStringLiteral(":/kelvar/kelvar-16.png"), QSize(16, 16));
    icon.addFile(QStringLiteral(":/kelvar/kelvar-32.png"), QSize(32, 32));
    setWindowIcon(icon);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(twipsToPixels(4140), twipsToPixels(2340));

    createControls();
    bindEvents();
    updateEnabledStates();
    dbList_->setFocus();

    Form_Load();
}

Form1::~Form1() = default;

void Form1::createControls() {
    // Created in tab order, which Qt also takes as the focus chain.
    dbList_ = makeControl<QComboBox>(this, "dbList", {1200, 1080, 2655, 300});
    dbList_->setEditable(true);
    dbList_->setInsertPolicy(QComboBox::NoInsert);
    dbList_->setCompleter(nullptr);
    liftLengthLimit(dbList_->lineEdit());

    cmdRefresh_ = makeButton(this, "cmdRefresh", "刷新", {240, 1680, 885, 350});
    cmdRefresh_->setDefault(true);
    cmdSelect_ = makeButton(this, "cmdSelect", "帮助", {3000, 1680, 885, 350});

    txtUserName_ = makeControl<QLineEdit>(this, "txtUserName", {1200, 240, 2655, 350});
    liftLengthLimit(txtUserName_);
    txtUserName_->setText(QStringLiteral("(local)"));

    cmdOK_ = makeButton(this, "cmdOK", "更新", {1200, 1680, 765, 350});
    cmdCancel_ = makeButton(this, "cmdCancel", "取消", {2040, 1680, 885, 350});

    txtPassword_ = makeControl<QLineEdit>(this, "txtPassword", {1200, 645, 2655, 350});
    auto* asterisks = new AsteriskPasswordStyle();
    asterisks->setParent(txtPassword_);  // owned by the box it masks
    txtPassword_->setStyle(asterisks);
    txtPassword_->setEchoMode(QLineEdit::Password);
    liftLengthLimit(txtPassword_);
    txtPassword_->setAttribute(Qt::WA_InputMethodEnabled, false);
    txtPassword_->setInputMethodHints(Qt::ImhHiddenText | Qt::ImhSensitiveData |
                                      Qt::ImhNoPredictiveText | Qt::ImhNoAutoUppercase);

    // No handler refers to a label.
    makeLabel(this, "lblLabels0", "数据库：", {255, 1080, 1080, 270});
    makeLabel(this, "Computer0", "服务器：", {240, 240, 1080, 270});
    makeLabel(this, "lblLabels1", "SA口令：", {240, 660, 1080, 270});

    setTabOrder(dbList_, cmdRefresh_);
    setTabOrder(cmdRefresh_, cmdSelect_);
    setTabOrder(cmdSelect_, txtUserName_);
    setTabOrder(txtUserName_, cmdOK_);
    setTabOrder(cmdOK_, cmdCancel_);
    setTabOrder(cmdCancel_, txtPassword_);
}

void Form1::bindEvents() {
    connect(cmdRefresh_, &QPushButton::clicked, this, &Form1::cmdRefresh_Click);
    connect(cmdOK_, &QPushButton::clicked, this, &Form1::cmdOK_Click);
    connect(cmdSelect_, &QPushButton::clicked, this, &Form1::cmdSelect_Click);
    connect(cmdCancel_, &QPushButton::clicked, this, &Form1::cmdCancel_Click);

    // Qt 6 closes no window when the session ends: it asks to commit data (logging off, shutting
    // down) and may then quit with the window still open. Both close it like the close box does.
    connect(qGuiApp, &QGuiApplication::commitDataRequest, this, &Form1::closeWindow);
    connect(qGuiApp, &QCoreApplication::aboutToQuit, this, &Form1::closeWindow);
}

void Form1::updateEnabledStates() {
    cmdOK_->setEnabled(updateEnabled_);
}

template <typename Handler>
void Form1::run(Handler&& handler) {
    try {
        const BusyCursor busy;
        std::forward<Handler>(handler)();
    } catch (const std::exception& error) {
        reportFatalError(this, error);
        QCoreApplication::exit(kFatalExitStatus);
    }
}

// --- the six handlers ---

void Form1::Form_Load() {
    db_.emplace(access_);
}

void Form1::Form_QueryUnload() {
    db_->release();
    db_.reset();
}

void Form1::cmdRefresh_Click() {
    // A click delivered after the window closed finds no CON or RS left to work with.
    if (db_) {
        run([this] { kelvar::cmdRefresh_Click(*db_, *this); });
    }
}

void Form1::cmdOK_Click() {
    if (db_) {
        run([this] { kelvar::cmdOK_Click(*db_, *this); });
    }
}

void Form1::cmdSelect_Click() {
    run([this] { showMessage(helpText(), kHelpCaption); });
}

void Form1::cmdCancel_Click() {
    run([this] { closeWindow(); });
}

// --- closing ---

void Form1::reject() {
    cmdCancel_->click();
}

void Form1::closeEvent(QCloseEvent* event) {
    // The window is gone after the first close; later requests find nothing left to release.
    if (!unloaded_) {
        unloaded_ = true;
        Form_QueryUnload();
    }
    event->accept();
}

// --- WindowToolkit ---

std::string Form1::serverText() const {
    return txtUserName_->text().toStdString();
}

std::string Form1::passwordText() const {
    return txtPassword_->text().toStdString();
}

std::string Form1::databaseText() const {
    return dbList_->currentText().toStdString();
}

void Form1::clearDatabases() {
    dbList_->clear();
    dbList_->clearEditText();
}

void Form1::addDatabase(std::string_view name) {
    // Qt makes the first entry of an empty list current; adding must leave selection and text
    // alone.
    const int current = dbList_->currentIndex();
    const QString text = dbList_->currentText();
    dbList_->addItem(fromUtf8(name));
    if (dbList_->currentIndex() != current) {
        dbList_->setCurrentIndex(current);
        dbList_->setEditText(text);
    }
}

int Form1::databaseCount() const {
    return dbList_->count();
}

void Form1::selectDatabase(int index) {
    dbList_->setCurrentIndex(index);
    // An index that was already current leaves typed text standing; the entry must show.
    dbList_->setEditText(dbList_->itemText(index));
}

void Form1::enableUpdate() {
    updateEnabled_ = true;
    updateEnabledStates();
}

void Form1::focusPassword() {
    txtPassword_->setFocus(Qt::OtherFocusReason);
}

void Form1::closeWindow() {
    close();
}

void Form1::showMessage(std::string_view text, std::optional<std::string_view> caption) {
    showMessageBox(this, fromUtf8(text), fromUtf8(caption.value_or(kApplicationTitle)));
}

}  // namespace kelvar
