#pragma once

#include "results/A.h"
