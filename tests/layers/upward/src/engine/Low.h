#pragma once

#include "search/High.h"
