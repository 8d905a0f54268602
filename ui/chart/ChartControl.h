// TChart: the chart's window. It shows a TChartModel through a TChartPainter,
// lets the user drag a zoom rectangle over the plot (drawn by exclusive-or
// over the finished picture, never by redrawing the series), reports mouse
// moves, right-clicks and finished paints, and draws exclusive-or lines for
// a crosshair.
#pragma once
#include <functional>

#include "ChartModel.h"
#include "ChartPainter.h"
#include "Window.h"

class TChart : public TWindow {
public:
    explicit TChart(TChartModel& model) : model_(model) {}

    void CreateChart(HWND parent);
    TChartModel& Model() noexcept { return model_; }

    // Schedules a paint when the model changed since the picture was drawn.
    void RefreshIfChanged();
    // Paints at once (from the kept picture when the model did not change).
    void Repaint();

    // An exclusive-or line from (x0, y0) to (x1, y1), both ends included:
    // drawing the same line again restores the picture.
    void DrawXorLine(int x0, int y0, int x1, int y1, COLORREF color, int penStyle = PS_SOLID);

    std::function<void(WPARAM keys, int x, int y)> OnMouseMove;
    // After the user's rectangle zoom reached the model.
    std::function<void()> OnUserZoom;
    std::function<void()> OnAfterDraw;
    std::function<void(POINT screen)> OnContextMenu;

    const TChartPainter& Painter() const noexcept { return painter_; }

protected:
    void OnSize(int width, int height) override;
    void OnPaint(HDC dc, const RECT& client) override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    void DrawDragRectangle();
    void EndDrag(bool zoom);

    TChartModel& model_;
    TChartPainter painter_;
    bool dragging_ = false;
    POINT dragFrom_{}, dragTo_{};
};
