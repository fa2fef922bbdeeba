#!/bin/sh
exec sleep 30
