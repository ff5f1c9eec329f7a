#pragma once

#include "calc/calculation.h"
#include "ui/calculation_service/calculation_data.h"

#include <memory>
#include <QDialog>
#include <QGraphicsView>
#include <QWidget>

class CalculationRunner;
class Interaction;
class QCheckBox;
class QComboBox;
class QFileDialog;
class QLabel;
class QPushButton;
class QTimer;
class SchematicScene;

// The view of the drawing: the wheel and Ctrl+plus/minus zoom about the pointer, dragging pans, a click
// that does not move names what lies under it.
class SchematicView : public QGraphicsView {
    Q_OBJECT

public:
    explicit SchematicView(QWidget* parent = nullptr);

    void zoomBy(double factor);
    void fit();
    double zoom() const;

signals:
    void clicked(const QPointF& scenePoint);

protected:
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QPoint pressed_;
};

// The choices of «Печать…»: the sheet, its orientation, one page or as many as the drawing takes.
class TF_SchematicPrint : public QDialog {
    Q_OBJECT

public:
    explicit TF_SchematicPrint(QWidget* parent = nullptr);

    QComboBox* Page_Box;        // «A4», «A3»
    QComboBox* Orientation_Box; // «Книжная», «Альбомная»
    QComboBox* Pages_Box;       // «Уместить на одном листе», «Разбить на листы»
};

// «Схема сети»: the one-line diagram of the main window's selected source in the chosen scheme, with
// the results of the chosen regime, redrawn whenever the data change while it is open. One per
// application, not modal.
class TF_Schematic : public QWidget {
    Q_OBJECT

public:
    explicit TF_Schematic(Interaction& user, QWidget* parent = nullptr);
    ~TF_Schematic() override;

    // The data the window draws and follows; it does not own them.
    void setData(CalculationData* data);

    QComboBox* Scheme_Box;
    QComboBox* Regime_Box;
    QCheckBox* ShortCircuits; // «Токи КЗ»
    QPushButton* FitButton;   // «По размеру окна»
    QPushButton* SaveButton;  // «Сохранить схему…»
    QPushButton* PrintButton; // «Печать…»
    QLabel* Summary;
    QLabel* Legend;
    SchematicView* View;
    QFileDialog* SaveDialog;
    TF_SchematicPrint* PrintDialog;

    SchematicScene& scene() const { return *scene_; }
    // The results drawn; empty while none are.
    const k10::calc::SchemeResult& result() const { return result_; }
    bool calculating() const;
    // How many times the drawing was made anew (the data, the source or the scheme changed).
    int drawings() const { return drawings_; }

    // The main window's current place: its section is highlighted when the drawing shows it.
    void showCurrentPlace(int source, int line, int section);

    void SaveClick();
    void PrintClick();

signals:
    // A click on a section or a node asks the main window to make it current.
    void selectRequested(const ProblemPlace& place);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    void scheduleDrawing();
    void draw();
    void fillSchemes(bool keepChoice);
    void showResult(std::shared_ptr<const k10::calc::SchemeResult> result, bool builtInCoefficients);
    void showRegime();
    void highlightCurrent();
    void clickedAt(const QPointF& point);
    QString title() const;

    Interaction& user_;
    CalculationData* data_ = nullptr;
    CalculationRunner* runner_;
    QTimer* pending_;
    SchematicScene* scene_;
    k10::calc::SchemeResult result_;
    int source_ = 0;
    int mode_ = -1;
    int drawings_ = 0;
    bool fitPending_ = true;
    struct {
        int source = 0, line = 0, section = 0;
    } current_;
};
