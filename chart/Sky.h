#pragma once

// The sky layers of the chart: the background filled by the Sun's altitude,
// and the stars and deep-sky objects of the database files whose summaries
// can meet the chart.

// Fills the drawing area (or the sky's disc or ellipse inside it) with the sky.
void DrawSkyBackground();

// Walks the database files in order, drawing from those whose summary can
// contribute to this chart and counting what was drawn. kStatusCancelled
// when Esc stopped it.
int DrawStarsAndDeepSky(long& stars, long& deepSky);
