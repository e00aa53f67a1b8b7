#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# The opener of the launch test: writes the environment it was started with.
env > "$NIMBRELL_TEST_ENV_FILE.part" && mv "$NIMBRELL_TEST_ENV_FILE.part" "$NIMBRELL_TEST_ENV_FILE"
