#pragma once

#include <QDialog>
#include <memory>
#include <string>

#include "window/titles_view.h"

class QLabel;
class QLineEdit;
class QTableView;
class QTimer;
class QVBoxLayout;

namespace marvek {

class TimelineStrip;
class TitleTableModel;

// File > Show titles...: the summary, the timeline strip and the table of a converted file, with
// a search field over the table; for a file that cannot be shown, the reason instead. It shows
// and changes nothing of the main window.
class TitlesDialog : public QDialog {
  Q_OBJECT

 public:
  // `speedText` is the Speed box's text, for the time on the line.
  TitlesDialog(std::shared_ptr<const TitlesView> view, const std::string& speedText,
               QWidget* parent = nullptr);
  ~TitlesDialog() override;

  // Null when the file cannot be shown.
  TitleTableModel* model() const { return model_; }
  QTableView* table() const { return table_; }
  TimelineStrip* strip() const { return strip_; }
  // A width at which the dialog shows its columns whole and more of long titles, for a screen
  // with room for it.
  QSize roomySize() const { return roomy_; }

 private:
  void BuildTitles(const std::string& speedText);
  void AddSearchRow(QVBoxLayout* layout);
  void AddTable(QVBoxLayout* layout);
  void Connect();
  void Search();
  void SelectTitle(long long title);

  std::shared_ptr<const TitlesView> view_;
  TitleTableModel* model_ = nullptr;
  QTableView* table_ = nullptr;
  TimelineStrip* strip_ = nullptr;
  QLineEdit* search_ = nullptr;
  QLabel* found_ = nullptr;
  QTimer* searchPause_ = nullptr;
  QSize roomy_;
};

}  // namespace marvek
