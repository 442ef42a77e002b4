#!/usr/bin/env bash
# Runs a command with a private X server of its own (see xvfb.sh for why the
# server picks its display itself) and gives back the command's status.
# usage: with_xvfb.sh <command> [arguments...]
source "$(dirname "$0")/xvfb.sh"
start_xvfb || exit 1
trap stop_xvfb EXIT
"$@"
