"""Prints the objects of one program as assistive technology sees them through AT-SPI, one a
line: role|name|description|names of the objects that label it.
    accessible_objects.py PROGRAM_NAME"""
import sys

import pyatspi


def labels_of(accessible):
    names = []
    for relation in accessible.getRelationSet():
        if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
            names += [relation.getTarget(i).name for i in range(relation.getNTargets())]
    return ",".join(names)


def show(accessible):
    print(f"{accessible.getRoleName()}|{accessible.name}|{accessible.description}|"
          f"{labels_of(accessible)}")
    for child in accessible:
        if child is not None:
            show(child)


programs = [a for a in pyatspi.Registry.getDesktop(0) if a is not None and a.name == sys.argv[1]]
if len(programs) != 1:
    sys.exit(f"{len(programs)} programs named {sys.argv[1]} on the accessibility bus")
show(programs[0])
