#pragma once

#include "viewer/B.h"
