"""The training-data generator of the separation model (see gen_data.py)."""
