#pragma once
// The zoom factor of the editor's view: its limits, the steps of the zoom tool, and the
// positions of the tool window's zoom track bar. A zoom factor Z shows Z x 100 pixels per inch;
// the view's scale in pixels per document unit is Z x 0.1.

#include <QString>

constexpr double MinZoom = 0.0625; // 1/16
constexpr double MaxZoom = 10000;
constexpr double ScalePerZoom = 0.1;

// The zoom track bar: position 1 is 1.00x, each step above adds 0.5x, each below halves.
constexpr int ZoomTrackMin = -3;
constexpr int ZoomTrackMax = 17;
constexpr int ZoomTrackInitial = 1;

double ClampZoom(double zoom);

// The zoom factor of a track-bar position: (p + 1) / 2 from 1 upward, 1 / 2^(|p| + 1) below.
double ZoomOfTrackPosition(int position);
// The position that shows a zoom factor (nearest, ties to even), kept within the track bar.
int TrackPositionOfZoom(double zoom);

// The zoom tool: the left button adds 0.5 from 1.0 upward and doubles below; the right button
// takes 0.5 away above 1.0 and halves from there down. Both stay within the limits.
double ZoomInStep(double zoom);
double ZoomOutStep(double zoom);

// "1.00x": two decimals with the user's decimal separator.
QString ZoomText(double zoom);
