"""`python -m brell`: see help(brell._cli)."""

import sys

from ._cli import main

sys.exit(main())
