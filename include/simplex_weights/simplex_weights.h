// The whole public interface of the simplex-weights library.
#pragma once

#include "simplex_weights/cancel.h"
#include "simplex_weights/constructions.h"
#include "simplex_weights/errors.h"
#include "simplex_weights/figures.h"
#include "simplex_weights/random.h"
#include "simplex_weights/text_format.h"
#include "simplex_weights/weight_set.h"
