#!/usr/bin/python3
"""The head model's loop with every head tuned away from its usual tension.

    /usr/bin/python3 scripts/headsim-tuned.py FACTOR [loop.py options]

FACTOR scales the tension the model gives each size by default (0.6: about 4.5 semitones lower,
1.8: about 5 higher); the other options are loop.py's. The model lives in ../shared/headsim
(else $HEADSIM).
"""
import os
import runpy
import sys

if len(sys.argv) < 2:
    sys.exit(__doc__)
factor = float(sys.argv.pop(1))
model = os.environ.get('HEADSIM', os.path.join(os.path.dirname(__file__), '..', '..', 'shared',
                                               'headsim'))
sys.path.insert(0, model)
import membrane  # noqa: E402  (the model's own module, found above)

usual = membrane.default_tension
membrane.default_tension = lambda size, air=True: usual(size, air) * factor
sys.argv[0] = os.path.join(model, 'loop.py')
runpy.run_path(sys.argv[0], run_name='__main__')
