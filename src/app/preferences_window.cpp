#include "app/preferences_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>

#include "app/dialogs.h"
#include "frontend/user_defaults.h"

namespace orv::app {

PreferencesWindow::PreferencesWindow(Dialogs& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window), dialogs_(dialogs), store_(userStore()) {
  setWindowTitle(tr("Orvanel Preferences"));
  auto* form = new QFormLayout(this);
  QSettings& store = *store_;

  auto* format = new QComboBox(this);
  format->setObjectName("NumberFormat");
  format->addItems({tr("Scientific"), tr("Engineering"), tr("Fixed")});
  format->setCurrentIndex(std::clamp(userSetting(store, "NumberFormat").toInt(), 0, 2));
  connect(format, &QComboBox::currentIndexChanged, this,
          [&store](int i) { store.setValue("NumberFormat", i); });
  form->addRow(tr("Number format:"), format);

  auto* places = new QSpinBox(this);
  places->setObjectName("NumberDigits");
  places->setRange(0, 255);
  places->setValue(userSetting(store, "NumberDigits").toInt());
  connect(places, &QSpinBox::valueChanged, this,
          [&store](int n) { store.setValue("NumberDigits", n); });
  form->addRow(tr("Places:"), places);

  auto* writeFormat = new QComboBox(this);
  writeFormat->setObjectName("WriteFormat");
  writeFormat->addItems({"TEXT", "FLT4", "INT2", "BYT1", "INT4", "DBL8"});
  writeFormat->setCurrentIndex(std::clamp(userSetting(store, "WriteFormat").toInt(), 0, 5));
  connect(writeFormat, &QComboBox::currentIndexChanged, this,
          [&store](int i) { store.setValue("WriteFormat", i); });
  form->addRow(tr("Data file format:"), writeFormat);

  auto check = [&](const char* key, const QString& title) {
    auto* box = new QCheckBox(title, this);
    box->setObjectName(key);
    box->setChecked(userSetting(store, key) == "true");
    connect(box, &QCheckBox::toggled, this,
            [&store, key](bool on) { store.setValue(key, on ? "true" : "false"); });
    form->addRow(QString(), box);
  };
  check("ShowGridLines", tr("Grid lines in plots"));
  check("ShowAxisBox", tr("Box around plot axes"));
  check("UseDegrees", tr("Angles in degrees"));
  check("ConfineFiles", tr("Worksheets read and write files only in their own folder"));

  auto* tab = new QSpinBox(this);
  tab->setObjectName("TabWidth");
  tab->setRange(1, 900);
  tab->setSuffix(tr(" pt"));
  tab->setValue(userSetting(store, "TabWidth").toInt());
  connect(tab, &QSpinBox::valueChanged, this, [&store](int n) { store.setValue("TabWidth", n); });
  form->addRow(tr("Tab width:"), tab);

  textFont_ = new QPushButton(this);
  textFont_->setObjectName("changeTextFont");
  connect(textFont_, &QPushButton::clicked, this, &PreferencesWindow::changeTextFont);
  form->addRow(tr("Text font:"), textFont_);
  plotFont_ = new QPushButton(this);
  plotFont_->setObjectName("changePlotFont");
  connect(plotFont_, &QPushButton::clicked, this, &PreferencesWindow::changePlotFont);
  form->addRow(tr("Plot font:"), plotFont_);
  showFont("TextFont", "TextFontSize", textFont_);
  showFont("PlotFont", "PlotFontSize", plotFont_);
}

PreferencesWindow::~PreferencesWindow() = default;

void PreferencesWindow::showFont(const char* nameKey, const char* sizeKey, QPushButton* button) {
  button->setText(userSetting(*store_, nameKey) + " " + userSetting(*store_, sizeKey));
}

void PreferencesWindow::changeFont(const char* nameKey, const char* sizeKey, QPushButton* button,
                                   const QString& title) {
  QFont initial(userSetting(*store_, nameKey));
  initial.setPointSize(std::max(1, userSetting(*store_, sizeKey).toInt()));
  std::optional<QFont> chosen = dialogs_.chooseFont(this, initial, title);
  if (!chosen) return;
  store_->setValue(nameKey, chosen->family());
  store_->setValue(sizeKey, static_cast<int>(chosen->pointSizeF()));
  showFont(nameKey, sizeKey, button);
}

void PreferencesWindow::changeTextFont() {
  changeFont("TextFont", "TextFontSize", textFont_, tr("Text Font"));
}

void PreferencesWindow::changePlotFont() {
  changeFont("PlotFont", "PlotFontSize", plotFont_, tr("Plot Font"));
}

}  // namespace orv::app
