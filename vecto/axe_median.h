// Median axis picture of Plan1 drawn into Plan2.
#pragma once

void Axe_median();
